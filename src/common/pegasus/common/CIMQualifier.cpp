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

CIMQualifier::~CIMQualifier()
{
    Internal::unref(_rep);
}

CIMQualifier& CIMQualifier::operator=(const CIMQualifier& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

const CIMName& CIMQualifier::getName() const
{
    return checked(_rep)->name;
}

void CIMQualifier::setName(const CIMName& name)
{
    if (name.isNull())
        throw UninitializedObjectException();
    checked(_rep)->name = name;
}

CIMType CIMQualifier::getType() const
{
    return checked(_rep)->value.getType();
}

Boolean CIMQualifier::isArray() const
{
    return checked(_rep)->value.isArray();
}

const CIMValue& CIMQualifier::getValue() const
{
    return checked(_rep)->value;
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

const CIMFlavor& CIMQualifier::getFlavor() const
{
    return checked(_rep)->flavor;
}

Uint32 CIMQualifier::getPropagated() const
{
    return checked(_rep)->propagated ? 1 : 0;
}

void CIMQualifier::setPropagated(Boolean propagated)
{
    checked(_rep)->propagated = propagated;
}

Boolean CIMQualifier::isUninitialized() const
{
    return _rep == nullptr;
}

Boolean CIMQualifier::identical(const CIMConstQualifier& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMQualifier CIMQualifier::clone() const
{
    const CIMQualifierRep* rep = checked(_rep);
    return CIMQualifier(rep->name, rep->value, rep->flavor, rep->propagated);
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

CIMConstQualifier::~CIMConstQualifier()
{
    Internal::unref(_rep);
}

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

const CIMName& CIMConstQualifier::getName() const
{
    return checked(_rep)->name;
}

CIMType CIMConstQualifier::getType() const
{
    return checked(_rep)->value.getType();
}

Boolean CIMConstQualifier::isArray() const
{
    return checked(_rep)->value.isArray();
}

const CIMValue& CIMConstQualifier::getValue() const
{
    return checked(_rep)->value;
}

const CIMFlavor& CIMConstQualifier::getFlavor() const
{
    return checked(_rep)->flavor;
}

Uint32 CIMConstQualifier::getPropagated() const
{
    return checked(_rep)->propagated ? 1 : 0;
}

Boolean CIMConstQualifier::isUninitialized() const
{
    return _rep == nullptr;
}

Boolean CIMConstQualifier::identical(const CIMConstQualifier& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMQualifier CIMConstQualifier::clone() const
{
    const CIMQualifierRep* rep = checked(_rep);
    return CIMQualifier(rep->name, rep->value, rep->flavor, rep->propagated);
}

PEGASUS_NAMESPACE_END
