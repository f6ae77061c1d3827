#pragma once
// Small builders for CIM values made in memory.
#include <initializer_list>
#include <string>

#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/String.h>

namespace CimValues {

inline Pegasus::Array<Pegasus::String> Strings(std::initializer_list<const char*> texts)
{
    Pegasus::Array<Pegasus::String> strings;
    for (const char* text : texts) {
        strings.append(Pegasus::String(text));
    }
    return strings;
}

inline Pegasus::CIMProperty StringProperty(const char* name, const char* value)
{
    return Pegasus::CIMProperty(Pegasus::CIMName(name), Pegasus::CIMValue(Pegasus::String(value)));
}

// A uint16 property carrying ValueMap and Values qualifiers, the way CIM
// schema enumerations arrive when qualifiers are requested.
inline Pegasus::CIMProperty MappedProperty(const char* name, Pegasus::Uint16 value,
                                           std::initializer_list<const char*> valueMap,
                                           std::initializer_list<const char*> values)
{
    Pegasus::CIMProperty property{Pegasus::CIMName(name), Pegasus::CIMValue(value)};
    property.addQualifier(Pegasus::CIMQualifier(Pegasus::CIMName("ValueMap"), Pegasus::CIMValue(Strings(valueMap))));
    property.addQualifier(Pegasus::CIMQualifier(Pegasus::CIMName("Values"), Pegasus::CIMValue(Strings(values))));
    return property;
}

}  // namespace CimValues
