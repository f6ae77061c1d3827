#include "CIMObjectRep.h"

PEGASUS_NAMESPACE_BEGIN

CIMObjectRep::CIMObjectRep(const CIMName& name) : className(name)
{
    // A new instance's path names its class, as in OpenPegasus.
    path.setClassName(name);
}

CIMObjectRep* CIMObjectRep::clone() const
{
    CIMObjectRep* copy = new CIMObjectRep(className);
    copy->isClass = isClass;
    copy->path = path;
    copy->qualifiers = cloneQualifiers(qualifiers);
    copy->properties.reserve(properties.size());
    for (Uint32 i = 0; i < properties.size(); i++)
        copy->addProperty(properties.at(i).clone());
    return copy;
}

Boolean CIMObjectRep::identical(const CIMObjectRep& x) const
{
    if (this == &x)
        return true;
    if (isClass != x.isClass || !className.equal(x.className) || !path.identical(x.path) ||
        !identicalQualifiers(qualifiers, x.qualifiers) ||
        properties.size() != x.properties.size())
        return false;
    for (Uint32 i = 0; i < properties.size(); i++)
    {
        if (!properties.at(i).identical(x.properties.at(i)))
            return false;
    }
    return true;
}

void CIMObjectRep::addProperty(const CIMProperty& x)
{
    if (x.isUninitialized())
        throw UninitializedObjectException();
    properties.add(x, "property");
    x._rep->contained = true;
}

PEGASUS_NAMESPACE_END
