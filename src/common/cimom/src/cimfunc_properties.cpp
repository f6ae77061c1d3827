// CimFunc's property extraction: CIM property values into display text,
// translated through ValueMap/Values qualifiers or taken as they are.
#include "cimfunc.h"

#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>

#include "cimfunc_text.h"
#include "opn_logging.h"

using CimFuncText::ToUtf8;

namespace {

// Blank, form feed, line feed, tab, carriage return, vertical tab.
const char* const kTrimmedCharacters = " \f\n\t\r\v";

const char* const kInstanceFailure = "Get properties from CIM instance failed with the reason: ";
const char* const kObjectFailure = "Get properties from CIM object failed with the reason: ";

void LogHeading(const Pegasus::CIMObjectPath& path)
{
    OPN_LOG(4) << "Showing properties for " << ToUtf8(path.toString());
}

// Reads each key's property with `readText`, in key order. A missing
// property or a CIM error skips that key only; instances and objects differ
// in the calls they offer and in the wording of the failure line.
template <typename Element, typename ReadText>
void WalkProperties(const Element& element, const char* failureText, PropertyMap& properties, ReadText readText)
{
    for (PropertyMap::iterator entry = properties.begin(); entry != properties.end(); ++entry) {
        try {
            const Pegasus::Uint32 position = element.findProperty(Pegasus::CIMName(entry->first.c_str()));
            if (position == Pegasus::PEG_NOT_FOUND) {
                OPN_LOG(2) << "Property " << entry->first << " is not found!";
                continue;
            }
            const Pegasus::CIMConstProperty property = element.getProperty(position);
            entry->second = readText(property);
            OPN_LOG(4) << entry->first << " = " << entry->second << " with raw data ("
                       << ToUtf8(property.getValue().toString()) << ")";
        } catch (const Pegasus::Exception& error) {
            OPN_LOG(1) << failureText << ToUtf8(error.getMessage());
        }
    }
}

std::string PlainTrimmedText(const Pegasus::CIMConstProperty& property)
{
    return CimFunc::Trim(ToUtf8(property.getValue().toString()));
}

Pegasus::Array<Pegasus::String> StringsOf(const Pegasus::CIMConstQualifier& qualifier)
{
    Pegasus::Array<Pegasus::String> strings;
    qualifier.getValue().get(strings);
    return strings;
}

}  // namespace

void CimFunc::GetProperties(const Pegasus::CIMInstance& instance, PropertyMap& properties)
{
    LogHeading(instance.getPath());
    WalkProperties(instance, kInstanceFailure, properties, &CimFunc::GetPropertyValue);
}

void CimFunc::GetProperties(const Pegasus::CIMObject& object, PropertyMap& properties)
{
    LogHeading(object.getPath());
    WalkProperties(object, kObjectFailure, properties, &CimFunc::GetPropertyValue);
}

void CimFunc::GetProperties(const Pegasus::CIMObject& object, bool rawData, PropertyMap& properties)
{
    LogHeading(object.getPath());
    if (!rawData) {
        GetProperties(object, properties);
        return;
    }
    // No qualifier is looked at: the text is taken as the library renders it.
    WalkProperties(object, kObjectFailure, properties, &PlainTrimmedText);
}

std::string CimFunc::GetPropertyValue(const Pegasus::CIMConstProperty& property)
{
    // Made once: every property of every instance asks for both.
    static const Pegasus::CIMName kValues("Values");
    static const Pegasus::CIMName kValueMap("ValueMap");
    std::string result;
    const Pegasus::Uint32 valuesPosition = property.findQualifier(kValues);
    const Pegasus::Uint32 valueMapPosition = property.findQualifier(kValueMap);
    const Pegasus::CIMValue& value = property.getValue();
    if (valuesPosition == Pegasus::PEG_NOT_FOUND || valueMapPosition == Pegasus::PEG_NOT_FOUND) {
        return Trim(ToUtf8(value.toString()));
    }

    OPN_LOG(4) << " processing value maps ...";
    const Pegasus::CIMConstQualifier values = property.getQualifier(valuesPosition);
    const Pegasus::CIMConstQualifier valueMap = property.getQualifier(valueMapPosition);
    if (!values.getValue().isArray() || !valueMap.getValue().isArray()) {
        return result;
    }

    const std::string trimmedValue = Trim(ToUtf8(value.toString()));
    const Pegasus::Array<Pegasus::String> mapEntries = StringsOf(valueMap);
    for (Pegasus::Uint32 i = 0; i < mapEntries.size(); ++i) {
        // Map entries are compared as they stand: a range such as "2..5" matches only itself.
        const std::string entry = ToUtf8(mapEntries[i]);
        OPN_LOG(4) << "_" << entry << "-" << trimmedValue << "_";
        if (entry == trimmedValue) {
            // A Values list shorter than the map fails here, in the CIM library.
            return ToUtf8(StringsOf(values)[i]);
        }
    }
    return result;
}

std::string CimFunc::Trim(std::string text)
{
    const std::string::size_type last = text.find_last_not_of(kTrimmedCharacters);
    if (last == std::string::npos) {
        text.clear();
        return text;
    }
    text.erase(last + 1);
    text.erase(0, text.find_first_not_of(kTrimmedCharacters));
    return text;
}
