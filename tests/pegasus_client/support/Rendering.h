#ifndef PegasusClientTests_Rendering_h
#define PegasusClientTests_Rendering_h

#include <Pegasus/Common/CIMInstance.h>

#include <string>
#include <vector>

// An instance rendered as cimclient-tostring renders it: the path, then
// "  Name [type[], null] = <CIMValue::toString()>" per property.
inline std::vector<std::string> renderInstance(const Pegasus::CIMInstance& instance)
{
    std::vector<std::string> lines;
    lines.emplace_back(instance.getPath().toString().getCString());
    for (Pegasus::Uint32 i = 0; i < instance.getPropertyCount(); ++i)
    {
        Pegasus::CIMConstProperty property = instance.getProperty(i);
        const Pegasus::CIMValue& value = property.getValue();
        std::string line = "  ";
        line += property.getName().getString().getCString();
        line += " [";
        line += Pegasus::cimTypeToString(value.getType());
        if (value.isArray())
            line += "[]";
        if (value.isNull())
            line += ", null";
        line += "] = <";
        line += value.toString().getCString();
        line += ">";
        lines.push_back(line);
    }
    return lines;
}

#endif
