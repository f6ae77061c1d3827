#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>

#include "NumberText.h"

PEGASUS_NAMESPACE_BEGIN

namespace {

CIMKeyBinding::Type keyTypeOf(const CIMValue& value)
{
    if (value.isArray())
        throw TypeMismatchException("an array cannot be a key");
    switch (value.getType())
    {
    case CIMTYPE_BOOLEAN:
        return CIMKeyBinding::BOOLEAN;
    case CIMTYPE_CHAR16:
    case CIMTYPE_STRING:
    case CIMTYPE_DATETIME:
        return CIMKeyBinding::STRING;
    case CIMTYPE_REFERENCE:
        return CIMKeyBinding::REFERENCE;
    case CIMTYPE_OBJECT:
    case CIMTYPE_INSTANCE:
        throw TypeMismatchException("an embedded object cannot be a key");
    default:
        return CIMKeyBinding::NUMERIC;
    }
}

template<class T>
bool integerValue(const char* text, CIMValue& out)
{
    if (T(-1) < T(0))
    {
        Sint64 x;
        if (!Internal::parseSignedInteger(text, x) || Sint64(T(x)) != x)
            return false;
        out.set(T(x));
    }
    else
    {
        Uint64 x;
        if (!Internal::parseUnsignedInteger(text, x) || Uint64(T(x)) != x)
            return false;
        out.set(T(x));
    }
    return true;
}

// The value of type `type` that text denotes; false when it denotes none.
bool valueOfText(const String& text, CIMType type, CIMValue& out)
{
    CString utf8 = text.getCString();
    switch (type)
    {
    case CIMTYPE_BOOLEAN:
        if (String::equalNoCase(text, "TRUE"))
            out.set(true);
        else if (String::equalNoCase(text, "FALSE"))
            out.set(false);
        else
            return false;
        return true;
    case CIMTYPE_UINT8:
        return integerValue<Uint8>(utf8, out);
    case CIMTYPE_SINT8:
        return integerValue<Sint8>(utf8, out);
    case CIMTYPE_UINT16:
        return integerValue<Uint16>(utf8, out);
    case CIMTYPE_SINT16:
        return integerValue<Sint16>(utf8, out);
    case CIMTYPE_UINT32:
        return integerValue<Uint32>(utf8, out);
    case CIMTYPE_SINT32:
        return integerValue<Sint32>(utf8, out);
    case CIMTYPE_UINT64:
        return integerValue<Uint64>(utf8, out);
    case CIMTYPE_SINT64:
        return integerValue<Sint64>(utf8, out);
    case CIMTYPE_REAL32:
    case CIMTYPE_REAL64:
    {
        Real64 x;
        if (!Internal::parseReal(utf8, x))
            return false;
        if (type == CIMTYPE_REAL32)
            out.set(Real32(x));
        else
            out.set(x);
        return true;
    }
    case CIMTYPE_CHAR16:
        if (text.size() != 1)
            return false;
        out.set(text[0]);
        return true;
    case CIMTYPE_STRING:
        out.set(text);
        return true;
    case CIMTYPE_DATETIME:
        out.set(CIMDateTime(text));
        return true;
    case CIMTYPE_REFERENCE:
        out.set(CIMObjectPath(text));
        return true;
    default:
        return false;
    }
}

bool sameInteger(const String& x, const String& y)
{
    CString a = x.getCString();
    CString b = y.getCString();
    Uint64 ua, ub;
    if (Internal::parseUnsignedInteger(a, ua) && Internal::parseUnsignedInteger(b, ub))
        return ua == ub;
    Sint64 sa, sb;
    if (Internal::parseSignedInteger(a, sa) && Internal::parseSignedInteger(b, sb))
        return sa == sb;
    return String::equal(x, y);
}

}  // namespace

CIMKeyBinding::CIMKeyBinding() : _type(STRING) {}

CIMKeyBinding::CIMKeyBinding(const CIMKeyBinding& x) = default;

CIMKeyBinding::CIMKeyBinding(const CIMName& name, const String& value, Type type)
    : _name(name), _value(value), _type(type)
{
}

CIMKeyBinding::CIMKeyBinding(const CIMName& name, const CIMValue& value)
    : _name(name), _type(keyTypeOf(value))
{
    _value = value.toString();
}

CIMKeyBinding::~CIMKeyBinding() = default;

CIMKeyBinding& CIMKeyBinding::operator=(const CIMKeyBinding& x) = default;

const CIMName& CIMKeyBinding::getName() const
{
    return _name;
}

void CIMKeyBinding::setName(const CIMName& name)
{
    _name = name;
}

const String& CIMKeyBinding::getValue() const
{
    return _value;
}

void CIMKeyBinding::setValue(const String& value)
{
    _value = value;
}

CIMKeyBinding::Type CIMKeyBinding::getType() const
{
    return _type;
}

void CIMKeyBinding::setType(Type type)
{
    _type = type;
}

Boolean CIMKeyBinding::equal(CIMValue value)
{
    if (value.isArray() || value.isNull())
        return false;
    try
    {
        if (keyTypeOf(value) != _type)
            return false;
        CIMValue parsed;
        return valueOfText(_value, value.getType(), parsed) && value.equal(parsed);
    }
    catch (const Exception&)
    {
        return false;
    }
}

Boolean operator==(const CIMKeyBinding& x, const CIMKeyBinding& y)
{
    if (!x.getName().equal(y.getName()) || x.getType() != y.getType())
        return false;
    switch (x.getType())
    {
    case CIMKeyBinding::REFERENCE:
        try
        {
            return CIMObjectPath(x.getValue()) == CIMObjectPath(y.getValue());
        }
        catch (const Exception&)
        {
            return String::equal(x.getValue(), y.getValue());
        }
    case CIMKeyBinding::BOOLEAN:
        return String::equalNoCase(x.getValue(), y.getValue());
    case CIMKeyBinding::NUMERIC:
        return sameInteger(x.getValue(), y.getValue());
    default:
        return String::equal(x.getValue(), y.getValue());
    }
}

PEGASUS_NAMESPACE_END
