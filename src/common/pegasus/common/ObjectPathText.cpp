#include "ObjectPathText.h"

#include <algorithm>
#include <string>
#include <vector>

#include "NumberText.h"

namespace Pegasus {
namespace Internal {

namespace {

const Uint16* unitsOf(const String& text)
{
    return reinterpret_cast<const Uint16*>(text.getChar16Data());
}

Uint32 findUnit(const Uint16* units, Uint32 from, Uint32 end, Uint16 c)
{
    for (Uint32 i = from; i < end; i++)
    {
        if (units[i] == c)
            return i;
    }
    return PEG_NOT_FOUND;
}

String slice(const String& text, Uint32 begin, Uint32 end)
{
    return text.subString(begin, end - begin);
}

[[noreturn]] void malformed(const String& objectName, const char* reason)
{
    String message(objectName);
    message.append(", reason:\"");
    message.append(reason);
    message.append("\"");
    throw MalformedObjectNameException(message);
}

bool isAsciiAlnum(Uint16 c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isHexDigit(Uint16 c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool isPort(const Uint16* units, Uint32 begin, Uint32 end)
{
    if (begin >= end || end - begin > 5)
        return false;
    Uint32 port = 0;
    for (Uint32 i = begin; i < end; i++)
    {
        if (units[i] < '0' || units[i] > '9')
            return false;
        port = port * 10 + (units[i] - '0');
    }
    return port <= 65535;
}

bool isIPv4(const Uint16* units, Uint32 begin, Uint32 end)
{
    int parts = 0;
    Uint32 i = begin;
    while (i < end)
    {
        Uint32 value = 0;
        Uint32 digits = 0;
        while (i < end && units[i] >= '0' && units[i] <= '9' && digits < 4)
        {
            value = value * 10 + (units[i++] - '0');
            digits++;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return false;
        parts++;
        if (i < end)
        {
            if (units[i] != '.' || parts == 4)
                return false;
            i++;
            if (i == end)
                return false;
        }
    }
    return parts == 4;
}

bool isIPv6(const Uint16* units, Uint32 begin, Uint32 end)
{
    if (begin >= end)
        return false;
    for (Uint32 i = begin; i < end; i++)
    {
        if (!isHexDigit(units[i]) && units[i] != ':' && units[i] != '.')
            return false;
    }
    return findUnit(units, begin, end, ':') != PEG_NOT_FOUND;
}

// Labels of letters, digits, '-' and '_' joined by single dots.
bool isDnsName(const Uint16* units, Uint32 begin, Uint32 end)
{
    if (begin >= end)
        return false;
    bool labelStart = true;
    for (Uint32 i = begin; i < end; i++)
    {
        Uint16 c = units[i];
        if (c == '.')
        {
            if (labelStart)
                return false;
            labelStart = true;
            continue;
        }
        if (labelStart ? !(isAsciiAlnum(c) || c == '_')
                       : !(isAsciiAlnum(c) || c == '-' || c == '_'))
            return false;
        labelStart = false;
    }
    return !labelStart;
}

bool isIntegerText(const String& text, bool negative)
{
    // The number parsers stop at the first NUL; one inside the value would
    // hide whatever follows it.
    if (findUnit(unitsOf(text), 0, text.size(), 0) != PEG_NOT_FOUND)
        return false;
    CString utf8 = text.getCString();
    if (negative)
    {
        Sint64 value;
        return parseSignedInteger(utf8, value);
    }
    Uint64 value;
    return parseUnsignedInteger(utf8, value);
}

// A quoted value that parses as a path with keys is taken for a reference:
// the text form cannot tell strings and references apart.
bool looksLikeReference(const String& value)
{
    if (value.find(Char16('=')) == PEG_NOT_FOUND)
        return false;
    try
    {
        return parseObjectPath(value).keyBindings.size() > 0;
    }
    catch (const Exception&)
    {
        return false;
    }
}

void parseKeyBindings(
    const String& objectName,
    Uint32 p,
    Array<CIMKeyBinding>& keyBindings)
{
    const Uint16* units = unitsOf(objectName);
    Uint32 end = objectName.size();
    while (p < end)
    {
        Uint32 equalSign = findUnit(units, p, end, '=');
        if (equalSign == PEG_NOT_FOUND)
            malformed(objectName, "invalid key-value pair, missing equal sign");
        String keyName = slice(objectName, p, equalSign);
        if (!CIMName::legal(keyName))
        {
            String reason("invalid key-value pair, invalid key name:");
            reason.append(keyName);
            malformed(objectName, reason.getCString());
        }
        p = equalSign + 1;

        String value;
        CIMKeyBinding::Type type;
        if (p < end && units[p] == '"')
        {
            p++;
            while (p < end && units[p] != '"')
            {
                if (units[p] == '\\')
                {
                    p++;
                    if (p >= end || (units[p] != '\\' && units[p] != '"'))
                        malformed(objectName, "invalid key-value pair, malformed value");
                }
                value.append(Char16(units[p++]));
            }
            if (p >= end)
                malformed(objectName, "invalid key-value pair, missing quote in key value");
            p++;
            type = looksLikeReference(value) ? CIMKeyBinding::REFERENCE : CIMKeyBinding::STRING;
        }
        else
        {
            Uint32 comma = findUnit(units, p, end, ',');
            Uint32 valueEnd = comma == PEG_NOT_FOUND ? end : comma;
            value = slice(objectName, p, valueEnd);
            Uint16 first = p < end ? units[p] : 0;
            if (first == 'T' || first == 't' || first == 'F' || first == 'f')
            {
                type = CIMKeyBinding::BOOLEAN;
                value.toUpper();
                if (value != "TRUE" && value != "FALSE")
                    malformed(objectName, "invalid key-value pair, value should be TRUE or FALSE");
            }
            else
            {
                type = CIMKeyBinding::NUMERIC;
                if (!isIntegerText(value, first == '-'))
                {
                    String reason("invalid key-value pair, invalid number value ");
                    reason.append(value);
                    malformed(objectName, reason.getCString());
                }
            }
            p = valueEnd;
        }
        keyBindings.append(CIMKeyBinding(CIMName(keyName), value, type));

        if (p < end)
        {
            if (units[p] != ',')
                malformed(objectName,
                    "invalid key-value pair, next key-value pair has to start with comma");
            p++;
            if (p == end)
                malformed(objectName, "invalid key-value pair, missing equal sign");
        }
    }
    sortKeyBindings(keyBindings);
}

}  // namespace

bool isValidHostName(const String& host)
{
    const Uint16* units = unitsOf(host);
    Uint32 end = host.size();
    if (end == 0)
        return false;
    if (units[0] == '[')
    {
        Uint32 close = findUnit(units, 1, end, ']');
        if (close == PEG_NOT_FOUND || !isIPv6(units, 1, close))
            return false;
        if (close + 1 == end)
            return true;
        return units[close + 1] == ':' && isPort(units, close + 2, end);
    }
    Uint32 colon = findUnit(units, 0, end, ':');
    Uint32 nameEnd = colon == PEG_NOT_FOUND ? end : colon;
    if (colon != PEG_NOT_FOUND && !isPort(units, colon + 1, end))
        return false;
    return isIPv4(units, 0, nameEnd) || isDnsName(units, 0, nameEnd);
}

ObjectPathParts parseObjectPath(const String& objectName)
{
    ObjectPathParts parts;
    const Uint16* units = unitsOf(objectName);
    Uint32 end = objectName.size();
    Uint32 p = 0;

    bool gotHost = false;
    if (end >= 2 && units[0] == '/' && units[1] == '/')
    {
        Uint32 slash = findUnit(units, 2, end, '/');
        if (slash == PEG_NOT_FOUND)
            malformed(objectName, "missing slash after hostname");
        parts.host = slice(objectName, 2, slash);
        if (!isValidHostName(parts.host))
            malformed(objectName, "invalid hostname");
        gotHost = true;
        // The slash begins the namespace part.
        p = slash;
    }

    // A ':' is a namespace delimiter only before the first '.': key values
    // may contain colons.
    bool gotNamespace = false;
    Uint32 colon = findUnit(units, p, end, ':');
    Uint32 dot = findUnit(units, p, end, '.');
    if (colon != PEG_NOT_FOUND && (dot == PEG_NOT_FOUND || colon < dot))
    {
        String nameSpace = slice(objectName, p, colon);
        if (!CIMNamespaceName::legal(nameSpace))
            malformed(objectName, "invalid namespace name");
        parts.nameSpace = nameSpace;
        gotNamespace = true;
        p = colon + 1;
    }
    if (gotHost && !gotNamespace)
        malformed(objectName, "host specified, missing namespace");

    dot = findUnit(units, p, end, '.');
    String className = slice(objectName, p, dot == PEG_NOT_FOUND ? end : dot);
    if (!CIMName::legal(className))
    {
        String reason("class name ");
        reason.append(className);
        reason.append(" not a legal CIM name");
        malformed(objectName, reason.getCString());
    }
    parts.className = CIMName(className);
    if (dot != PEG_NOT_FOUND)
        parseKeyBindings(objectName, dot + 1, parts.keyBindings);
    return parts;
}

void sortKeyBindings(Array<CIMKeyBinding>& keyBindings)
{
    // Read through a const view: the non-const operator[] would unshare
    // the array.
    const Array<CIMKeyBinding>& view = keyBindings;
    Uint32 n = view.size();
    bool sorted = true;
    for (Uint32 i = 0; i < n; i++)
    {
        if (view[i].getType() == CIMKeyBinding::REFERENCE)
        {
            // A value that is not a path text stays as it is.
            try
            {
                String canonical = CIMObjectPath(view[i].getValue()).toString();
                if (canonical != view[i].getValue())
                    keyBindings[i].setValue(canonical);
            }
            catch (const Exception&)
            {
            }
        }
        if (i > 0 &&
            String::compareNoCase(view[i - 1].getName().getString(),
                view[i].getName().getString()) > 0)
            sorted = false;
    }
    if (sorted)
        return;
    std::vector<CIMKeyBinding> items(view.getData(), view.getData() + n);
    std::stable_sort(items.begin(), items.end(),
        [](const CIMKeyBinding& a, const CIMKeyBinding& b) {
            return String::compareNoCase(a.getName().getString(), b.getName().getString()) < 0;
        });
    keyBindings = Array<CIMKeyBinding>(items.data(), n);
}

}  // namespace Internal
}  // namespace Pegasus
