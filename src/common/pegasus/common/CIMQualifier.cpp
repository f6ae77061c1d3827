#include <Pegasus/Common/CIMQualifier.h>

#include "CIMQualifierRep.h"

PEGASUS_NAMESPACE_BEGIN

namespace {

CIMQualifierRep* checked(CIMQualifierRep* rep)
{
    if (!rep)
        throw UninitializedObjectException();
    return rep;
}

CIMQualifierRep* makeRep(
    const CIMName& name,
    const CIMValue& value,
    const CIMFlavor& flavor,
    Boolean propagated)
{
    if (name.isNull())
        throw UninitializedObjectException();
    CIMQualifierRep* rep = new CIMQualifierRep();
    rep->name = name;
    rep->value = value;
    rep->flavor = flavor;
    rep->propagated = propagated;
    return rep;
}

Boolean identicalReps(const CIMQualifierRep* x, const CIMQualifierRep* y)
{
    checked(const_cast<CIMQualifierRep*>(x));
    checked(const_cast<CIMQualifierRep*>(y));
    return x == y ||
        (x->name.equal(y->name) && x->value.equal(y->value) &&
            x->flavor.equal(y->flavor) && x->propagated == y->propagated);
}

}  // namespace

// The read-only members, the same for CIMQualifier and CIMConstQualifier.
#define PEGASUS_QUALIFIER_READ_MEMBERS(CLASS)                         \
    const CIMName& CLASS::getName() const                             \
    {                                                                 \
        return checked(_rep)->name;                                   \
    }                                                                 \
    CIMType CLASS::getType() const                                    \
    {                                                                 \
        return checked(_rep)->value.getType();                        \
    }                                                                 \
    Boolean CLASS::isArray() const                                    \
    {                                                                 \
        return checked(_rep)->value.isArray();                        \
    }                                                                 \
    const CIMValue& CLASS::getValue() const                           \
    {                                                                 \
        return checked(_rep)->value;                                  \
    }                                                                 \
    const CIMFlavor& CLASS::getFlavor() const                         \
    {                                                                 \
        return checked(_rep)->flavor;                                 \
    }                                                                 \
    Uint32 CLASS::getPropagated() const                               \
    {                                                                 \
        return checked(_rep)->propagated ? 1 : 0;                     \
    }                                                                 \
    Boolean CLASS::isUninitialized() const                            \
    {                                                                 \
        return _rep == nullptr;                                       \
    }                                                                 \
    Boolean CLASS::identical(const CIMConstQualifier& x) const        \
    {                                                                 \
        return identicalReps(_rep, x._rep);                           \
    }                                                                 \
    CIMQualifier CLASS::clone() const                                 \
    {                                                                 \
        const CIMQualifierRep* rep = checked(_rep);                   \
        return CIMQualifier(rep->name, rep->value, rep->flavor,       \
            rep->propagated);                                         \
    }                                                                 \
    CLASS::~CLASS()                                                   \
    {                                                                 \
        Internal::unref(_rep);                                        \
    }

QualifierList cloneQualifiers(const QualifierList& list)
{
    QualifierList copy;
    copy.reserve(list.size());
    for (Uint32 i = 0; i < list.size(); i++)
        copy.add(list.at(i).clone(), "qualifier");
    return copy;
}

Boolean identicalQualifiers(const QualifierList& x, const QualifierList& y)
{
    if (x.size() != y.size())
        return false;
    for (Uint32 i = 0; i < x.size(); i++)
    {
        if (!x.at(i).identical(y.at(i)))
            return false;
    }
    return true;
}

////////////////////////////////////////////////////////////////////////////////
// CIMQualifier

CIMQualifier::CIMQualifier() : _rep(nullptr) {}

CIMQualifier::CIMQualifier(const CIMQualifier& x) : _rep(Internal::ref(x._rep)) {}

CIMQualifier::CIMQualifier(
    const CIMName& name,
    const CIMValue& value,
    const CIMFlavor& flavor,
    Boolean propagated)
    : _rep(makeRep(name, value, flavor, propagated))
{
}

PEGASUS_QUALIFIER_READ_MEMBERS(CIMQualifier)

CIMQualifier& CIMQualifier::operator=(const CIMQualifier& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

void CIMQualifier::setName(const CIMName& name)
{
    if (name.isNull())
        throw UninitializedObjectException();
    checked(_rep)->name = name;
}

void CIMQualifier::setValue(const CIMValue& value)
{
    checked(_rep)->value = value;
}

void CIMQualifier::setFlavor(const CIMFlavor& flavor)
{
    checked(_rep)->flavor.addFlavor(flavor);
}

void CIMQualifier::unsetFlavor(const CIMFlavor& flavor)
{
    checked(_rep)->flavor.removeFlavor(flavor);
}

void CIMQualifier::setPropagated(Boolean propagated)
{
    checked(_rep)->propagated = propagated;
}

////////////////////////////////////////////////////////////////////////////////
// CIMConstQualifier

CIMConstQualifier::CIMConstQualifier() : _rep(nullptr) {}

CIMConstQualifier::CIMConstQualifier(const CIMConstQualifier& x)
    : _rep(Internal::ref(x._rep))
{
}

CIMConstQualifier::CIMConstQualifier(const CIMQualifier& x) : _rep(Internal::ref(x._rep)) {}

CIMConstQualifier::CIMConstQualifier(
    const CIMName& name,
    const CIMValue& value,
    const CIMFlavor& flavor,
    Boolean propagated)
    : _rep(makeRep(name, value, flavor, propagated))
{
}

PEGASUS_QUALIFIER_READ_MEMBERS(CIMConstQualifier)

CIMConstQualifier& CIMConstQualifier::operator=(const CIMConstQualifier& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

CIMConstQualifier& CIMConstQualifier::operator=(const CIMQualifier& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

#undef PEGASUS_QUALIFIER_READ_MEMBERS

PEGASUS_NAMESPACE_END
