// CIMValue::toString(): the display text of values, as OpenPegasus renders
// them (its CIMValue::toString and the XmlWriter helpers it uses).
#include <Pegasus/Common/CIMValue.h>

#include <string>

#include "CIMValueRep.h"
#include "NumberText.h"
#include "Utf8.h"

PEGASUS_NAMESPACE_BEGIN

namespace {

void appendString(std::string& out, const String& x)
{
    Internal::appendUtf8(out, reinterpret_cast<const Uint16*>(x.getChar16Data()), x.size());
}

void render(std::string& out, Boolean x)
{
    out.append(x ? "TRUE" : "FALSE");
}

void render(std::string& out, Uint8 x)
{
    Internal::appendUnsigned(out, x);
}

void render(std::string& out, Sint8 x)
{
    Internal::appendSigned(out, x);
}

void render(std::string& out, Uint16 x)
{
    Internal::appendUnsigned(out, x);
}

void render(std::string& out, Sint16 x)
{
    Internal::appendSigned(out, x);
}

void render(std::string& out, Uint32 x)
{
    Internal::appendUnsigned(out, x);
}

void render(std::string& out, Sint32 x)
{
    Internal::appendSigned(out, x);
}

void render(std::string& out, Uint64 x)
{
    Internal::appendUnsigned(out, x);
}

void render(std::string& out, Sint64 x)
{
    Internal::appendSigned(out, x);
}

// real32 values are widened and printed with real64 precision, as
// OpenPegasus does.
void render(std::string& out, Real32 x)
{
    Internal::appendReal(out, Real64(x));
}

void render(std::string& out, Real64 x)
{
    Internal::appendReal(out, x);
}

void render(std::string& out, const Char16& x)
{
    Uint16 unit = x;
    Internal::appendUtf8(out, &unit, 1);
}

void render(std::string& out, const String& x)
{
    appendString(out, x);
}

void render(std::string& out, const CIMDateTime& x)
{
    appendString(out, x.toString());
}

void render(std::string& out, const CIMObjectPath& x)
{
    appendString(out, x.toString());
}

void render(std::string& out, const CIMObject& x)
{
    appendString(out, x.toString());
}

void render(std::string& out, const CIMInstance& x)
{
    appendString(out, CIMObject(x).toString());
}

void render(std::string&, const std::monostate&)
{
}

// Each element followed by one blank.
template<class T>
void render(std::string& out, const Array<T>& x)
{
    for (Uint32 i = 0; i < x.size(); i++)
    {
        render(out, x[i]);
        out.push_back(' ');
    }
}

// OpenPegasus builds the text as a C string: a NUL ends it.
String fromRendered(const std::string& text)
{
    return String(text.c_str());
}

}  // namespace

String CIMValue::toString() const
{
    const CIMValueRep* rep = CIMValueAccess::rep(*this);
    if (!rep || rep->isNull)
        return String();
    if (const String* text = std::get_if<String>(&rep->data))
    {
        // The common case needs no conversion at all.
        if (text->find(Char16(0)) == PEG_NOT_FOUND)
            return *text;
    }
    std::string out;
    std::visit([&out](const auto& data) { render(out, data); }, rep->data);
    return fromRendered(out);
}

PEGASUS_NAMESPACE_END
