#include <Pegasus/Common/CIMProperty.h>

#include "CIMPropertyRep.h"

PEGASUS_NAMESPACE_BEGIN

namespace {

CIMPropertyRep* checked(CIMPropertyRep* rep)
{
    if (!rep)
        throw UninitializedObjectException();
    return rep;
}

CIMPropertyRep* makeRep(
    const CIMName& name,
    const CIMValue& value,
    Uint32 arraySize,
    const CIMName& referenceClassName,
    const CIMName& classOrigin,
    Boolean propagated)
{
    if (name.isNull())
        throw UninitializedObjectException();
    if (value.isArray() && value.getType() == CIMTYPE_REFERENCE)
        throw TypeMismatchException("a property cannot hold an array of references");
    if (!referenceClassName.isNull() && value.getType() != CIMTYPE_REFERENCE)
        throw TypeMismatchException(
            "reference class name given for property " + name.getString() +
            " of type " + cimTypeToString(value.getType()));
    CIMPropertyRep* rep = new CIMPropertyRep();
    rep->name = name;
    rep->value = value;
    rep->arraySize = value.isArray() ? arraySize : 0;
    rep->referenceClassName = referenceClassName;
    rep->classOrigin = classOrigin;
    rep->propagated = propagated;
    return rep;
}

// Field for field (the source was checked when it was made), with
// qualifiers of its own; not yet in any object.
CIMPropertyRep* cloneRep(const CIMPropertyRep* rep)
{
    CIMPropertyRep* copy = new CIMPropertyRep(*rep);
    copy->contained = false;
    if (rep->qualifiers.size() != 0)
        copy->qualifiers = cloneQualifiers(rep->qualifiers);
    return copy;
}

Boolean identicalReps(const CIMPropertyRep* x, const CIMPropertyRep* y)
{
    checked(const_cast<CIMPropertyRep*>(x));
    checked(const_cast<CIMPropertyRep*>(y));
    return x == y ||
        (x->name.equal(y->name) && x->value.equal(y->value) &&
            x->arraySize == y->arraySize &&
            x->referenceClassName.equal(y->referenceClassName) &&
            x->classOrigin.equal(y->classOrigin) && x->propagated == y->propagated &&
            identicalQualifiers(x->qualifiers, y->qualifiers));
}

}  // namespace

// The read-only members, the same for CIMProperty and CIMConstProperty.
#define PEGASUS_PROPERTY_READ_MEMBERS(CLASS)                          \
    const CIMName& CLASS::getName() const                             \
    {                                                                 \
        return checked(_rep)->name;                                   \
    }                                                                 \
    const CIMValue& CLASS::getValue() const                           \
    {                                                                 \
        return checked(_rep)->value;                                  \
    }                                                                 \
    CIMType CLASS::getType() const                                    \
    {                                                                 \
        return checked(_rep)->value.getType();                        \
    }                                                                 \
    Boolean CLASS::isArray() const                                    \
    {                                                                 \
        return checked(_rep)->value.isArray();                        \
    }                                                                 \
    Uint32 CLASS::getArraySize() const                                \
    {                                                                 \
        return checked(_rep)->arraySize;                              \
    }                                                                 \
    const CIMName& CLASS::getReferenceClassName() const               \
    {                                                                 \
        return checked(_rep)->referenceClassName;                     \
    }                                                                 \
    const CIMName& CLASS::getClassOrigin() const                      \
    {                                                                 \
        return checked(_rep)->classOrigin;                            \
    }                                                                 \
    Boolean CLASS::getPropagated() const                              \
    {                                                                 \
        return checked(_rep)->propagated;                             \
    }                                                                 \
    Uint32 CLASS::findQualifier(const CIMName& name) const            \
    {                                                                 \
        return checked(_rep)->qualifiers.find(name);                  \
    }                                                                 \
    CIMConstQualifier CLASS::getQualifier(Uint32 index) const         \
    {                                                                 \
        return checked(_rep)->qualifiers.at(index);                   \
    }                                                                 \
    Uint32 CLASS::getQualifierCount() const                           \
    {                                                                 \
        return checked(_rep)->qualifiers.size();                      \
    }                                                                 \
    Boolean CLASS::identical(const CIMConstProperty& x) const         \
    {                                                                 \
        return identicalReps(_rep, x._rep);                           \
    }                                                                 \
    CIMProperty CLASS::clone() const                                  \
    {                                                                 \
        CIMProperty copy;                                             \
        copy._rep = cloneRep(checked(_rep));                          \
        return copy;                                                  \
    }                                                                 \
    Boolean CLASS::isUninitialized() const                            \
    {                                                                 \
        return _rep == nullptr;                                       \
    }                                                                 \
    CLASS::~CLASS()                                                   \
    {                                                                 \
        Internal::unref(_rep);                                        \
    }

////////////////////////////////////////////////////////////////////////////////
// CIMProperty

CIMProperty::CIMProperty() : _rep(nullptr) {}

CIMProperty::CIMProperty(const CIMProperty& x) : _rep(Internal::ref(x._rep)) {}

CIMProperty::CIMProperty(
    const CIMName& name,
    const CIMValue& value,
    Uint32 arraySize,
    const CIMName& referenceClassName,
    const CIMName& classOrigin,
    Boolean propagated)
    : _rep(makeRep(name, value, arraySize, referenceClassName, classOrigin, propagated))
{
}

PEGASUS_PROPERTY_READ_MEMBERS(CIMProperty)

CIMProperty& CIMProperty::operator=(const CIMProperty& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

void CIMProperty::setName(const CIMName& name)
{
    CIMPropertyRep* rep = checked(_rep);
    if (rep->contained)
        throw Exception(
            "cannot rename property " + rep->name.getString() +
            ": it belongs to an object");
    if (name.isNull())
        throw UninitializedObjectException();
    rep->name = name;
}

void CIMProperty::setValue(const CIMValue& value)
{
    CIMPropertyRep* rep = checked(_rep);
    if (!value.typeCompatible(rep->value))
        throw TypeMismatchException(
            "property " + rep->name.getString() + " is of type " +
            cimTypeToString(rep->value.getType()) + (rep->value.isArray() ? "[]" : "") +
            ", the value of type " + cimTypeToString(value.getType()) +
            (value.isArray() ? "[]" : ""));
    rep->value = value;
}

void CIMProperty::setClassOrigin(const CIMName& classOrigin)
{
    checked(_rep)->classOrigin = classOrigin;
}

void CIMProperty::setPropagated(Boolean propagated)
{
    checked(_rep)->propagated = propagated;
}

CIMProperty& CIMProperty::addQualifier(const CIMQualifier& x)
{
    if (x.isUninitialized())
        throw UninitializedObjectException();
    checked(_rep)->qualifiers.add(x, "qualifier");
    return *this;
}

CIMQualifier CIMProperty::getQualifier(Uint32 index)
{
    return checked(_rep)->qualifiers.at(index);
}

void CIMProperty::removeQualifier(Uint32 index)
{
    checked(_rep)->qualifiers.remove(index);
}

////////////////////////////////////////////////////////////////////////////////
// CIMConstProperty

CIMConstProperty::CIMConstProperty() : _rep(nullptr) {}

CIMConstProperty::CIMConstProperty(const CIMConstProperty& x) : _rep(Internal::ref(x._rep)) {}

CIMConstProperty::CIMConstProperty(const CIMProperty& x) : _rep(Internal::ref(x._rep)) {}

CIMConstProperty::CIMConstProperty(
    const CIMName& name,
    const CIMValue& value,
    Uint32 arraySize,
    const CIMName& referenceClassName,
    const CIMName& classOrigin,
    Boolean propagated)
    : _rep(makeRep(name, value, arraySize, referenceClassName, classOrigin, propagated))
{
}

PEGASUS_PROPERTY_READ_MEMBERS(CIMConstProperty)

CIMConstProperty& CIMConstProperty::operator=(const CIMConstProperty& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

CIMConstProperty& CIMConstProperty::operator=(const CIMProperty& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

#undef PEGASUS_PROPERTY_READ_MEMBERS

PEGASUS_NAMESPACE_END
