#include "ValueParser.h"

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/Exception.h>

#include <charconv>
#include <limits>
#include <type_traits>

namespace Pegasus {
namespace ClientDetail {

namespace {

struct TypeName
{
    std::string_view name;
    CIMType type;
};

constexpr TypeName kTypeNames[] = {
    {"string", CIMTYPE_STRING},     {"boolean", CIMTYPE_BOOLEAN},
    {"uint8", CIMTYPE_UINT8},       {"sint8", CIMTYPE_SINT8},
    {"uint16", CIMTYPE_UINT16},     {"sint16", CIMTYPE_SINT16},
    {"uint32", CIMTYPE_UINT32},     {"sint32", CIMTYPE_SINT32},
    {"uint64", CIMTYPE_UINT64},     {"sint64", CIMTYPE_SINT64},
    {"real32", CIMTYPE_REAL32},     {"real64", CIMTYPE_REAL64},
    {"char16", CIMTYPE_CHAR16},     {"datetime", CIMTYPE_DATETIME},
    {"reference", CIMTYPE_REFERENCE},
};

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' ||
                             text.front() == '\n' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' ||
                             text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

[[noreturn]] void reject(CIMType type, std::string_view text)
{
    throw ValueSyntaxError{"\"" + std::string(text) + "\" is not a valid " +
                           cimTypeToString(type) + " value"};
}

bool parseBoolean(std::string_view text, Boolean& value)
{
    text = trimBlanks(text);
    auto equalsNoCase = [text](std::string_view word) {
        if (text.size() != word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i)
        {
            char c = text[i];
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            if (c != word[i])
                return false;
        }
        return true;
    };
    if (equalsNoCase("TRUE"))
        value = true;
    else if (equalsNoCase("FALSE"))
        value = false;
    else
        return false;
    return true;
}

// Decimal, or hexadecimal with a 0x prefix, as CIM-XML allows; a leading
// sign only for signed types.
template <typename T>
bool parseInteger(std::string_view text, T& value)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
    {
        negative = text.front() == '-';
        if (negative && std::is_unsigned<T>::value)
            return false;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    unsigned long long magnitude = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    if (std::is_unsigned<T>::value)
    {
        if (magnitude > static_cast<unsigned long long>(std::numeric_limits<T>::max()))
            return false;
        value = static_cast<T>(magnitude);
        return true;
    }
    const unsigned long long limit =
        negative ? static_cast<unsigned long long>(std::numeric_limits<T>::max()) + 1
                 : static_cast<unsigned long long>(std::numeric_limits<T>::max());
    if (magnitude > limit)
        return false;
    value = negative ? static_cast<T>(-static_cast<long long>(magnitude - 1) - 1)
                     : static_cast<T>(magnitude);
    return true;
}

template <typename T>
bool parseReal(std::string_view text, T& value)
{
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    double parsed = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    value = static_cast<T>(parsed);
    return true;
}

template <typename T>
T parseOne(CIMType type, std::string_view text);

template <typename T>
T parseNumber(CIMType type, std::string_view text)
{
    T value{};
    bool ok;
    if constexpr (std::is_floating_point<T>::value)
        ok = parseReal(text, value);
    else
        ok = parseInteger(text, value);
    if (!ok)
        reject(type, text);
    return value;
}

template <>
Boolean parseOne<Boolean>(CIMType type, std::string_view text)
{
    Boolean value = false;
    if (!parseBoolean(text, value))
        reject(type, text);
    return value;
}

template <>
String parseOne<String>(CIMType, std::string_view text)
{
    return makeString(text);
}

template <>
Char16 parseOne<Char16>(CIMType type, std::string_view text)
{
    String converted = makeString(text);
    if (converted.size() == 0)
        reject(type, text);
    return converted[0];
}

template <>
CIMDateTime parseOne<CIMDateTime>(CIMType type, std::string_view text)
{
    try
    {
        return CIMDateTime(makeString(trimBlanks(text)));
    }
    catch (const DateTimeOutOfRangeException&)
    {
        throw ValueSyntaxError{"\"" + std::string(text) + "\" is not a valid datetime value: a field is out of range",
                               true};
    }
    catch (const Exception&)
    {
        reject(type, text);
    }
}

template <typename T>
T parseOne(CIMType type, std::string_view text)
{
    return parseNumber<T>(type, text);
}

template <typename T>
CIMValue parseArrayOf(CIMType type, const std::vector<std::string_view>& items)
{
    Array<T> values;
    values.reserveCapacity(static_cast<Uint32>(items.size()));
    for (std::string_view item : items)
        values.append(parseOne<T>(type, item));
    return CIMValue(values);
}

}  // namespace

bool parseCimTypeName(std::string_view name, CIMType& type)
{
    for (const TypeName& entry : kTypeNames)
    {
        if (entry.name == name)
        {
            type = entry.type;
            return true;
        }
    }
    return false;
}

CIMValue parseScalarValue(CIMType type, std::string_view text)
{
    switch (type)
    {
        case CIMTYPE_BOOLEAN: return CIMValue(parseOne<Boolean>(type, text));
        case CIMTYPE_UINT8: return CIMValue(parseOne<Uint8>(type, text));
        case CIMTYPE_SINT8: return CIMValue(parseOne<Sint8>(type, text));
        case CIMTYPE_UINT16: return CIMValue(parseOne<Uint16>(type, text));
        case CIMTYPE_SINT16: return CIMValue(parseOne<Sint16>(type, text));
        case CIMTYPE_UINT32: return CIMValue(parseOne<Uint32>(type, text));
        case CIMTYPE_SINT32: return CIMValue(parseOne<Sint32>(type, text));
        case CIMTYPE_UINT64: return CIMValue(parseOne<Uint64>(type, text));
        case CIMTYPE_SINT64: return CIMValue(parseOne<Sint64>(type, text));
        case CIMTYPE_REAL32: return CIMValue(parseOne<Real32>(type, text));
        case CIMTYPE_REAL64: return CIMValue(parseOne<Real64>(type, text));
        case CIMTYPE_CHAR16: return CIMValue(parseOne<Char16>(type, text));
        case CIMTYPE_STRING: return CIMValue(parseOne<String>(type, text));
        case CIMTYPE_DATETIME: return CIMValue(parseOne<CIMDateTime>(type, text));
        default:
            throw ValueSyntaxError{std::string("a ") + cimTypeToString(type) +
                                   " value cannot be given as text"};
    }
}

CIMValue parseArrayValue(CIMType type, const std::vector<std::string_view>& items)
{
    switch (type)
    {
        case CIMTYPE_BOOLEAN: return parseArrayOf<Boolean>(type, items);
        case CIMTYPE_UINT8: return parseArrayOf<Uint8>(type, items);
        case CIMTYPE_SINT8: return parseArrayOf<Sint8>(type, items);
        case CIMTYPE_UINT16: return parseArrayOf<Uint16>(type, items);
        case CIMTYPE_SINT16: return parseArrayOf<Sint16>(type, items);
        case CIMTYPE_UINT32: return parseArrayOf<Uint32>(type, items);
        case CIMTYPE_SINT32: return parseArrayOf<Sint32>(type, items);
        case CIMTYPE_UINT64: return parseArrayOf<Uint64>(type, items);
        case CIMTYPE_SINT64: return parseArrayOf<Sint64>(type, items);
        case CIMTYPE_REAL32: return parseArrayOf<Real32>(type, items);
        case CIMTYPE_REAL64: return parseArrayOf<Real64>(type, items);
        case CIMTYPE_CHAR16: return parseArrayOf<Char16>(type, items);
        case CIMTYPE_STRING: return parseArrayOf<String>(type, items);
        case CIMTYPE_DATETIME: return parseArrayOf<CIMDateTime>(type, items);
        default:
            throw ValueSyntaxError{std::string("an array of ") + cimTypeToString(type) +
                                   " cannot be given as text"};
    }
}

}  // namespace ClientDetail
}  // namespace Pegasus
