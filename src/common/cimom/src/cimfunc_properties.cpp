// CimFunc's property extraction: CIM property values into display text,
// translated through ValueMap/Values qualifiers or taken as they are.
#include "cimfunc.h"

#include <algorithm>
#include <cstring>
#include <string_view>

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

// Reads the property at `position` into `text`, which keeps its old content
// when there is none or a CIM error occurs; `key` is the name as the caller
// spelt it, for the log. Instances and objects differ in the calls they offer
// and in the wording of the failure line.
template <typename Element, typename ReadText>
void ReadProperty(const Element& element, const char* failureText, const std::string& key,
                  Pegasus::Uint32 position, std::string& text, ReadText readText)
{
    try {
        if (position == Pegasus::PEG_NOT_FOUND) {
            OPN_LOG(2) << "Property " << key << " is not found!";
            return;
        }
        const Pegasus::CIMConstProperty property = element.getProperty(position);
        text = readText(property);
        OPN_LOG(4) << key << " = " << text << " with raw data (" << ToUtf8(property.getValue().toString()) << ")";
    } catch (const Pegasus::Exception& error) {
        OPN_LOG(1) << failureText << ToUtf8(error.getMessage());
    }
}

// Reads each key's property with `readText`, in key order. A missing
// property or a CIM error skips that key only.
template <typename Element, typename ReadText>
void WalkProperties(const Element& element, const char* failureText, PropertyMap& properties, ReadText readText)
{
    for (PropertyMap::iterator entry = properties.begin(); entry != properties.end(); ++entry) {
        Pegasus::Uint32 position = Pegasus::PEG_NOT_FOUND;
        try {
            position = element.findProperty(Pegasus::CIMName(entry->first.c_str()));
        } catch (const Pegasus::Exception& error) {
            // A key that is no legal CIM name.
            OPN_LOG(1) << failureText << ToUtf8(error.getMessage());
            continue;
        }
        ReadProperty(element, failureText, entry->first, position, entry->second, readText);
    }
}

// Where the property of each listed name sits in `element`, PEG_NOT_FOUND
// where it has none, as findProperty tells. One pass over the element's
// properties finds the names spelt exactly as listed, which is how servers
// send them; only the others are searched for without regard to case. An
// element holds no two properties whose names differ only in case, so the
// exact match is the one findProperty would give.
template <typename Element>
std::vector<Pegasus::Uint32> FindListedProperties(const Element& element, const PropertyNameList& names)
{
    std::vector<Pegasus::Uint32> positions(names.Size(), Pegasus::PEG_NOT_FOUND);
    const Pegasus::Uint32 count = element.getPropertyCount();
    for (Pegasus::Uint32 position = 0; position < count; ++position) {
        const Pegasus::CIMConstProperty property = element.getProperty(position);
        const size_t index = names.FindExactly(property.getName().getString());
        if (index != PropertyNameList::kNotListed && positions[index] == Pegasus::PEG_NOT_FOUND) {
            positions[index] = position;
        }
    }
    for (size_t i = 0; i < names.Size(); ++i) {
        if (positions[i] == Pegasus::PEG_NOT_FOUND) {
            positions[i] = element.findProperty(names.CimName(i));
        }
    }
    return positions;
}

// As WalkProperties over a map preset with every listed name, each CIM name
// taken from the list instead of being made again.
template <typename Element, typename ReadText>
void WalkListedProperties(const Element& element, const char* failureText, const PropertyNameList& names,
                          PropertyMap& properties, ReadText readText)
{
    properties.clear();
    const std::vector<Pegasus::Uint32> positions = FindListedProperties(element, names);
    for (size_t i = 0; i < names.Size(); ++i) {
        // The list is in the map's order: every name goes in at the end.
        std::string& text = properties.emplace_hint(properties.end(), names.Name(i), std::string())->second;
        ReadProperty(element, failureText, names.Name(i), positions[i], text, readText);
    }
}

// The text between the first and the last character that is not trimmed.
std::string TrimmedView(std::string_view text)
{
    const std::string_view::size_type last = text.find_last_not_of(kTrimmedCharacters);
    if (last == std::string_view::npos) {
        return std::string();
    }
    const std::string_view::size_type first = text.find_first_not_of(kTrimmedCharacters);
    return std::string(text.substr(first, last + 1 - first));
}

bool IsTrimmedUnit(Pegasus::Uint16 unit)
{
    // Blank, or tab through carriage return: the trimmed characters.
    return unit == 0x20 || (unit >= 0x09 && unit <= 0x0d);
}

// Trim(ToUtf8(text)). Text of ASCII characters only, as nearly every value
// is, reads the same in UTF-16 and UTF-8 and is narrowed as it stands;
// anything else (or a NUL, at which the UTF-8 text ends) goes through the
// library's own conversion.
std::string TrimmedUtf8(const Pegasus::String& text)
{
    const Pegasus::Char16* units = text.getChar16Data();
    const Pegasus::Uint32 size = text.size();
    for (Pegasus::Uint32 i = 0; i < size; ++i) {
        // NUL wraps round to the top: one comparison finds it and non-ASCII alike.
        if (static_cast<Pegasus::Uint16>(static_cast<Pegasus::Uint16>(units[i]) - 1) >= 0x7f) {
            const Pegasus::CString bytes = text.getCString();
            return TrimmedView(static_cast<const char*>(bytes));
        }
    }
    const Pegasus::Char16* begin = units;
    const Pegasus::Char16* end = units + size;
    while (begin != end && IsTrimmedUnit(*begin)) {
        ++begin;
    }
    while (end != begin && IsTrimmedUnit(*(end - 1))) {
        --end;
    }
    std::string trimmed(static_cast<size_t>(end - begin), '\0');
    for (size_t i = 0; i < trimmed.size(); ++i) {
        trimmed[i] = static_cast<char>(static_cast<Pegasus::Uint16>(begin[i]));
    }
    return trimmed;
}

std::string PlainTrimmedText(const Pegasus::CIMConstProperty& property)
{
    return TrimmedUtf8(property.getValue().toString());
}

Pegasus::Array<Pegasus::String> StringsOf(const Pegasus::CIMConstQualifier& qualifier)
{
    Pegasus::Array<Pegasus::String> strings;
    qualifier.getValue().get(strings);
    return strings;
}

}  // namespace

PropertyNameList::PropertyNameList(const char* const* names, size_t count)
{
    // Sorted and without repeats, as the keys of a PropertyMap.
    std::vector<std::string> keys(names, names + count);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    m_names_.reserve(keys.size());
    for (std::string& key : keys) {
        const Pegasus::CIMName cimName(key.c_str());
        m_names_.emplace_back(std::move(key), cimName);
        const Pegasus::Uint32 length = cimName.getString().size();
        if (m_by_length_.size() <= length) {
            m_by_length_.resize(length + 1);
        }
        m_by_length_[length].push_back(m_names_.size() - 1);
    }
}

size_t PropertyNameList::FindExactly(const Pegasus::String& name) const
{
    const Pegasus::Uint32 length = name.size();
    if (length >= m_by_length_.size()) {
        return kNotListed;
    }
    const Pegasus::Char16* units = name.getChar16Data();
    for (const size_t index : m_by_length_[length]) {
        const Pegasus::Char16* listed = m_names_[index].second.getString().getChar16Data();
        if (std::equal(units, units + length, listed, listed + length)) {
            return index;
        }
    }
    return kNotListed;
}

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

void CimFunc::GetListedProperties(const Pegasus::CIMInstance& instance, const PropertyNameList& names,
                                  PropertyMap& properties)
{
    LogHeading(instance.getPath());
    WalkListedProperties(instance, kInstanceFailure, names, properties, &CimFunc::GetPropertyValue);
}

void CimFunc::GetListedRawProperties(const Pegasus::CIMObject& object, const PropertyNameList& names,
                                     PropertyMap& properties)
{
    LogHeading(object.getPath());
    WalkListedProperties(object, kObjectFailure, names, properties, &PlainTrimmedText);
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
        return TrimmedUtf8(value.toString());
    }

    OPN_LOG(4) << " processing value maps ...";
    const Pegasus::CIMConstQualifier values = property.getQualifier(valuesPosition);
    const Pegasus::CIMConstQualifier valueMap = property.getQualifier(valueMapPosition);
    if (!values.getValue().isArray() || !valueMap.getValue().isArray()) {
        return result;
    }

    const std::string trimmedValue = TrimmedUtf8(value.toString());
    const Pegasus::Array<Pegasus::String> mapEntries = StringsOf(valueMap);
    for (Pegasus::Uint32 i = 0; i < mapEntries.size(); ++i) {
        // Map entries are compared as they stand: a range such as "2..5" matches only itself.
        // Compared up to the first NUL, as the text made of them would be.
        const Pegasus::CString entry = mapEntries[i].getCString();
        OPN_LOG(4) << "_" << static_cast<const char*>(entry) << "-" << trimmedValue << "_";
        if (std::strcmp(static_cast<const char*>(entry), trimmedValue.c_str()) == 0) {
            // A Values list shorter than the map fails here, in the CIM library.
            return ToUtf8(StringsOf(values)[i]);
        }
    }
    return result;
}

std::string CimFunc::Trim(std::string text)
{
    return TrimmedView(text);
}
