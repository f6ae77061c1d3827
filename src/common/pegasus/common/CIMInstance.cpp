#include <Pegasus/Common/CIMInstance.h>

#include "CIMObjectRep.h"

PEGASUS_NAMESPACE_BEGIN

namespace {

// The rep of an object that holds an instance, referenced once more.
CIMObjectRep* instanceRep(CIMObjectRep* rep)
{
    if (!rep || rep->isClass)
        throw DynamicCastFailedException();
    return Internal::ref(rep);
}

}  // namespace

////////////////////////////////////////////////////////////////////////////////
// CIMInstance

CIMInstance::CIMInstance() : _rep(nullptr) {}

CIMInstance::CIMInstance(const CIMInstance& x) : _rep(Internal::ref(x._rep)) {}

CIMInstance::CIMInstance(const CIMObject& x) : _rep(instanceRep(x._rep)) {}

CIMInstance::CIMInstance(const CIMName& className) : _rep(new CIMObjectRep(className)) {}

CIMInstance& CIMInstance::operator=(const CIMInstance& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

PEGASUS_OBJECT_READ_MEMBERS(CIMInstance)
PEGASUS_OBJECT_WRITE_MEMBERS(CIMInstance)

CIMInstance CIMInstance::clone() const
{
    CIMInstance copy;
    copy._rep = CIMObjectRep::checked(_rep)->clone();
    return copy;
}

Boolean CIMInstance::identical(const CIMConstInstance& x) const
{
    return CIMObjectRep::checked(_rep)->identical(*CIMObjectRep::checked(x._rep));
}

////////////////////////////////////////////////////////////////////////////////
// CIMConstInstance

CIMConstInstance::CIMConstInstance() : _rep(nullptr) {}

CIMConstInstance::CIMConstInstance(const CIMConstInstance& x) : _rep(Internal::ref(x._rep)) {}

CIMConstInstance::CIMConstInstance(const CIMInstance& x) : _rep(Internal::ref(x._rep)) {}

CIMConstInstance::CIMConstInstance(const CIMObject& x) : _rep(instanceRep(x._rep)) {}

CIMConstInstance::CIMConstInstance(const CIMConstObject& x) : _rep(instanceRep(x._rep)) {}

CIMConstInstance::CIMConstInstance(const CIMName& className)
    : _rep(new CIMObjectRep(className))
{
}

CIMConstInstance& CIMConstInstance::operator=(const CIMConstInstance& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

CIMConstInstance& CIMConstInstance::operator=(const CIMInstance& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

PEGASUS_OBJECT_READ_MEMBERS(CIMConstInstance)

CIMInstance CIMConstInstance::clone() const
{
    CIMInstance copy;
    copy._rep = CIMObjectRep::checked(_rep)->clone();
    return copy;
}

Boolean CIMConstInstance::identical(const CIMConstInstance& x) const
{
    return CIMObjectRep::checked(_rep)->identical(*CIMObjectRep::checked(x._rep));
}

PEGASUS_NAMESPACE_END
