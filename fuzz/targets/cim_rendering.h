#pragma once
// Renders decoded CIM data the way the module reads it (names, values with
// toString(), qualifiers, paths), so the fuzzers reach the rendering code and
// not only the parser.

#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMValue.h>

#include <cstddef>
#include <string>

namespace quillet_fuzz {

inline size_t RenderedSize(const Pegasus::String& text)
{
    return std::string(text.getCString()).size();
}

inline size_t Render(const Pegasus::CIMValue& value)
{
    return RenderedSize(value.toString());
}

inline size_t Render(const Pegasus::CIMObjectPath& path)
{
    return RenderedSize(path.toString());
}

template <typename Object>
size_t RenderProperties(const Object& object)
{
    size_t total = Render(object.getPath()) + RenderedSize(object.getClassName().getString());
    for (Pegasus::Uint32 i = 0; i < object.getPropertyCount(); ++i) {
        const Pegasus::CIMConstProperty property = object.getProperty(i);
        total += RenderedSize(property.getName().getString()) + Render(property.getValue());
        for (Pegasus::Uint32 q = 0; q < property.getQualifierCount(); ++q) {
            total += Render(property.getQualifier(q).getValue());
        }
    }
    return total;
}

inline size_t Render(const Pegasus::CIMInstance& instance)
{
    return RenderProperties(Pegasus::CIMConstInstance(instance));
}

inline size_t Render(const Pegasus::CIMObject& object)
{
    return RenderProperties(Pegasus::CIMConstObject(object));
}

inline size_t Render(const Pegasus::CIMParamValue& parameter)
{
    return RenderedSize(parameter.getParameterName()) + Render(parameter.getValue());
}

template <typename Element>
size_t Render(const Pegasus::Array<Element>& elements)
{
    size_t total = 0;
    for (Pegasus::Uint32 i = 0; i < elements.size(); ++i) {
        total += Render(elements[i]);
    }
    return total;
}

}  // namespace quillet_fuzz
