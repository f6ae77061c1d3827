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

CIMProperty cloneRep(const CIMPropertyRep* rep)
{
    CIMProperty copy(rep->name, rep->value, rep->arraySize, rep->referenceClassName,
        rep->classOrigin, rep->propagated);
    for (Uint32 i = 0; i < rep->qualifiers.size(); i++)
        copy.addQualifier(rep->qualifiers.at(i).clone());
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

CIMProperty::~CIMProperty()
{
    Internal::unref(_rep);
}

CIMProperty& CIMProperty::operator=(const CIMProperty& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

const CIMName& CIMProperty::getName() const
{
    return checked(_rep)->name;
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

const CIMValue& CIMProperty::getValue() const
{
    return checked(_rep)->value;
}

CIMType CIMProperty::getType() const
{
    return checked(_rep)->value.getType();
}

Boolean CIMProperty::isArray() const
{
    return checked(_rep)->value.isArray();
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

Uint32 CIMProperty::getArraySize() const
{
    return checked(_rep)->arraySize;
}

const CIMName& CIMProperty::getReferenceClassName() const
{
    return checked(_rep)->referenceClassName;
}

const CIMName& CIMProperty::getClassOrigin() const
{
    return checked(_rep)->classOrigin;
}

void CIMProperty::setClassOrigin(const CIMName& classOrigin)
{
    checked(_rep)->classOrigin = classOrigin;
}

Boolean CIMProperty::getPropagated() const
{
    return checked(_rep)->propagated;
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

Uint32 CIMProperty::findQualifier(const CIMName& name) const
{
    return checked(_rep)->qualifiers.find(name);
}

CIMQualifier CIMProperty::getQualifier(Uint32 index)
{
    return checked(_rep)->qualifiers.at(index);
}

CIMConstQualifier CIMProperty::getQualifier(Uint32 index) const
{
    return checked(_rep)->qualifiers.at(index);
}

void CIMProperty::removeQualifier(Uint32 index)
{
    checked(_rep)->qualifiers.remove(index);
}

Uint32 CIMProperty::getQualifierCount() const
{
    return checked(_rep)->qualifiers.size();
}

Boolean CIMProperty::identical(const CIMConstProperty& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMProperty CIMProperty::clone() const
{
    return cloneRep(checked(_rep));
}

Boolean CIMProperty::isUninitialized() const
{
    return _rep == nullptr;
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

CIMConstProperty::~CIMConstProperty()
{
    Internal::unref(_rep);
}

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

const CIMName& CIMConstProperty::getName() const
{
    return checked(_rep)->name;
}

const CIMValue& CIMConstProperty::getValue() const
{
    return checked(_rep)->value;
}

CIMType CIMConstProperty::getType() const
{
    return checked(_rep)->value.getType();
}

Boolean CIMConstProperty::isArray() const
{
    return checked(_rep)->value.isArray();
}

Uint32 CIMConstProperty::getArraySize() const
{
    return checked(_rep)->arraySize;
}

const CIMName& CIMConstProperty::getReferenceClassName() const
{
    return checked(_rep)->referenceClassName;
}

const CIMName& CIMConstProperty::getClassOrigin() const
{
    return checked(_rep)->classOrigin;
}

Boolean CIMConstProperty::getPropagated() const
{
    return checked(_rep)->propagated;
}

Uint32 CIMConstProperty::findQualifier(const CIMName& name) const
{
    return checked(_rep)->qualifiers.find(name);
}

CIMConstQualifier CIMConstProperty::getQualifier(Uint32 index) const
{
    return checked(_rep)->qualifiers.at(index);
}

Uint32 CIMConstProperty::getQualifierCount() const
{
    return checked(_rep)->qualifiers.size();
}

Boolean CIMConstProperty::identical(const CIMConstProperty& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMProperty CIMConstProperty::clone() const
{
    return cloneRep(checked(_rep));
}

Boolean CIMConstProperty::isUninitialized() const
{
    return _rep == nullptr;
}

PEGASUS_NAMESPACE_END
