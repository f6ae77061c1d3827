#include <Pegasus/Common/CIMObject.h>

#include "CIMObjectRep.h"
#include "CimXmlWriter.h"

PEGASUS_NAMESPACE_BEGIN

namespace {

// The INSTANCE element, as OpenPegasus renders an object as text.
String xmlText(const CIMConstObject& object)
{
    std::string out;
    Internal::appendObjectElement(out, object);
    return String(out.data(), static_cast<Uint32>(out.size()));
}

}  // namespace

////////////////////////////////////////////////////////////////////////////////
// CIMObject

CIMObject::CIMObject() : _rep(nullptr) {}

CIMObject::CIMObject(const CIMObject& x) : _rep(Internal::ref(x._rep)) {}

CIMObject::CIMObject(const CIMInstance& x) : _rep(Internal::ref(x._rep)) {}

CIMObject::CIMObject(CIMObjectRep* rep) : _rep(rep) {}

CIMObject& CIMObject::operator=(const CIMObject& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

PEGASUS_OBJECT_READ_MEMBERS(CIMObject)
PEGASUS_OBJECT_WRITE_MEMBERS(CIMObject)

CIMObject CIMObject::clone() const
{
    return CIMObject(CIMObjectRep::checked(_rep)->clone());
}

Boolean CIMObject::identical(const CIMConstObject& x) const
{
    return CIMObjectRep::checked(_rep)->identical(*CIMObjectRep::checked(x._rep));
}

String CIMObject::toString() const
{
    CIMObjectRep::checked(_rep);
    return xmlText(*this);
}

Boolean CIMObject::isClass() const
{
    return CIMObjectRep::checked(_rep)->isClass;
}

Boolean CIMObject::isInstance() const
{
    return !CIMObjectRep::checked(_rep)->isClass;
}

////////////////////////////////////////////////////////////////////////////////
// CIMConstObject

CIMConstObject::CIMConstObject() : _rep(nullptr) {}

CIMConstObject::CIMConstObject(const CIMConstObject& x) : _rep(Internal::ref(x._rep)) {}

CIMConstObject::CIMConstObject(const CIMObject& x) : _rep(Internal::ref(x._rep)) {}

CIMConstObject::CIMConstObject(const CIMInstance& x) : _rep(Internal::ref(x._rep)) {}

CIMConstObject::CIMConstObject(const CIMConstInstance& x) : _rep(Internal::ref(x._rep)) {}

CIMConstObject& CIMConstObject::operator=(const CIMConstObject& x)
{
    Internal::assignRep(_rep, x._rep);
    return *this;
}

PEGASUS_OBJECT_READ_MEMBERS(CIMConstObject)

CIMObject CIMConstObject::clone() const
{
    return CIMObject(CIMObjectRep::checked(_rep)->clone());
}

Boolean CIMConstObject::identical(const CIMConstObject& x) const
{
    return CIMObjectRep::checked(_rep)->identical(*CIMObjectRep::checked(x._rep));
}

String CIMConstObject::toString() const
{
    CIMObjectRep::checked(_rep);
    return xmlText(*this);
}

Boolean CIMConstObject::isClass() const
{
    return CIMObjectRep::checked(_rep)->isClass;
}

Boolean CIMConstObject::isInstance() const
{
    return !CIMObjectRep::checked(_rep)->isClass;
}

PEGASUS_NAMESPACE_END
