#include <Pegasus/Common/CIMName.h>

PEGASUS_NAMESPACE_BEGIN

namespace {

bool isAsciiLetterOrUnderscore(Uint16 c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isAsciiDigit(Uint16 c)
{
    return c >= '0' && c <= '9';
}

// Any character beyond ASCII counts as a letter, as in OpenPegasus.
bool isNameStart(Uint16 c)
{
    return c < 0x80 ? isAsciiLetterOrUnderscore(c) : c <= 0xFFEF;
}

bool isNamePart(Uint16 c)
{
    return c < 0x80 ? (isAsciiLetterOrUnderscore(c) || isAsciiDigit(c)) : c <= 0xFFEF;
}

// Whether units[begin, end) is a legal CIM name.
bool isName(const Uint16* units, Uint32 begin, Uint32 end)
{
    if (begin >= end || !isNameStart(units[begin]))
        return false;
    for (Uint32 i = begin + 1; i < end; i++)
    {
        if (!isNamePart(units[i]))
            return false;
    }
    return true;
}

const Uint16* unitsOf(const String& text)
{
    return reinterpret_cast<const Uint16*>(text.getChar16Data());
}

}  // namespace

////////////////////////////////////////////////////////////////////////////////
// CIMName

CIMName::CIMName() = default;

CIMName::CIMName(const String& name) : cimName(name)
{
    if (!legal(name))
        throw InvalidNameException(name);
}

CIMName::CIMName(const char* name) : CIMName(String(name)) {}

CIMName::CIMName(const CIMName& name) = default;

CIMName& CIMName::operator=(const CIMName& name) = default;

CIMName& CIMName::operator=(const String& name)
{
    if (!legal(name))
        throw InvalidNameException(name);
    cimName = name;
    return *this;
}

CIMName& CIMName::operator=(const char* name)
{
    return *this = String(name);
}

const String& CIMName::getString() const
{
    return cimName;
}

Boolean CIMName::isNull() const
{
    return cimName.size() == 0;
}

void CIMName::clear()
{
    cimName.clear();
}

Boolean CIMName::equal(const CIMName& name) const
{
    return String::equalNoCase(cimName, name.cimName);
}

Boolean CIMName::equal(const char* name) const
{
    return String::equalNoCase(cimName, name);
}

Boolean CIMName::legal(const String& name)
{
    return isName(unitsOf(name), 0, name.size());
}

Boolean operator==(const CIMName& x, const CIMName& y)
{
    return x.equal(y);
}

Boolean operator==(const CIMName& x, const char* y)
{
    return x.equal(y);
}

Boolean operator==(const char* x, const CIMName& y)
{
    return y.equal(x);
}

Boolean operator!=(const CIMName& x, const CIMName& y)
{
    return !x.equal(y);
}

Boolean operator!=(const CIMName& x, const char* y)
{
    return !x.equal(y);
}

Boolean operator!=(const char* x, const CIMName& y)
{
    return !y.equal(x);
}

////////////////////////////////////////////////////////////////////////////////
// CIMNamespaceName

CIMNamespaceName::CIMNamespaceName() = default;

CIMNamespaceName::CIMNamespaceName(const String& name)
{
    *this = name;
}

CIMNamespaceName::CIMNamespaceName(const char* name) : CIMNamespaceName(String(name)) {}

CIMNamespaceName::CIMNamespaceName(const CIMNamespaceName& name) = default;

CIMNamespaceName& CIMNamespaceName::operator=(const CIMNamespaceName& name) = default;

CIMNamespaceName& CIMNamespaceName::operator=(const String& name)
{
    if (!legal(name))
        throw InvalidNamespaceNameException(name);
    // "/root/cimv2" and "root/cimv2" name the same namespace.
    if (name[0] == '/')
        cimNamespaceName = name.subString(1);
    else
        cimNamespaceName = name;
    return *this;
}

CIMNamespaceName& CIMNamespaceName::operator=(const char* name)
{
    return *this = String(name);
}

const String& CIMNamespaceName::getString() const
{
    return cimNamespaceName;
}

Boolean CIMNamespaceName::isNull() const
{
    return cimNamespaceName.size() == 0;
}

void CIMNamespaceName::clear()
{
    cimNamespaceName.clear();
}

Boolean CIMNamespaceName::equal(const CIMNamespaceName& name) const
{
    return String::equalNoCase(cimNamespaceName, name.cimNamespaceName);
}

Boolean CIMNamespaceName::equal(const char* name) const
{
    String other(name);
    if (other.size() && other[0] == '/')
        other.remove(0, 1);
    return String::equalNoCase(cimNamespaceName, other);
}

Boolean CIMNamespaceName::legal(const String& name)
{
    const Uint16* units = unitsOf(name);
    Uint32 size = name.size();
    Uint32 begin = (size > 0 && units[0] == '/') ? 1 : 0;
    while (true)
    {
        Uint32 end = begin;
        while (end < size && units[end] != '/')
            end++;
        if (!isName(units, begin, end))
            return false;
        if (end == size)
            return true;
        begin = end + 1;
    }
}

Boolean operator==(const CIMNamespaceName& x, const CIMNamespaceName& y)
{
    return x.equal(y);
}

Boolean operator==(const CIMNamespaceName& x, const char* y)
{
    return x.equal(y);
}

Boolean operator==(const char* x, const CIMNamespaceName& y)
{
    return y.equal(x);
}

Boolean operator!=(const CIMNamespaceName& x, const CIMNamespaceName& y)
{
    return !x.equal(y);
}

Boolean operator!=(const CIMNamespaceName& x, const char* y)
{
    return !x.equal(y);
}

Boolean operator!=(const char* x, const CIMNamespaceName& y)
{
    return !y.equal(x);
}

PEGASUS_NAMESPACE_END
