#include "WinXmlText.h"

#include <cstdint>
#include <string>

namespace Pegasus {
namespace ClientDetail {

namespace {

// Stand-ins for U+0000..U+001F, at the end of plane 16's private use area,
// where no CIM data has reason to go.
constexpr std::uint32_t kStandInBase = 0x10FF00;

bool forbiddenInXml(std::uint32_t codePoint)
{
    return codePoint < 0x20 && codePoint != 0x9 && codePoint != 0xA && codePoint != 0xD;
}

// Parses a character reference starting at `at` ("&#" already seen there).
// Returns its length and sets `codePoint`; 0 when it is not a well-formed one.
std::size_t parseCharacterReference(const std::string& document, std::size_t at,
                                    std::uint32_t& codePoint)
{
    std::size_t position = at + 2;
    const bool hexadecimal = position < document.size() && document[position] == 'x';
    if (hexadecimal)
        ++position;
    const std::size_t digitsStart = position;
    std::uint32_t value = 0;
    while (position < document.size() && position - digitsStart < 8)
    {
        const char c = document[position];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hexadecimal && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hexadecimal && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            break;
        value = value * (hexadecimal ? 16 : 10) + static_cast<std::uint32_t>(digit);
        ++position;
    }
    if (position == digitsStart || position >= document.size() || document[position] != ';')
        return 0;
    codePoint = value;
    return position + 1 - at;
}

void appendCodePoint(std::uint32_t codePoint, std::string& out)
{
    if (codePoint < 0x80)
    {
        out += static_cast<char>(codePoint);
    }
    else if (codePoint < 0x800)
    {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    else if (codePoint < 0x10000)
    {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace

bool rewriteForXmlLite(const std::string& document, std::string& rewritten)
{
    std::string out;
    std::size_t copiedUpTo = 0;
    bool changed = false;
    // Inside CDATA sections and comments references are plain text: only raw
    // bytes are replaced there.
    const char* sectionEnd = nullptr;
    for (std::size_t at = 0; at < document.size(); ++at)
    {
        const unsigned char c = static_cast<unsigned char>(document[at]);
        if (sectionEnd != nullptr)
        {
            if (document.compare(at, std::char_traits<char>::length(sectionEnd), sectionEnd) == 0)
                sectionEnd = nullptr;
        }
        else if (c == '<' && document.compare(at, 9, "<![CDATA[") == 0)
        {
            sectionEnd = "]]>";
        }
        else if (c == '<' && document.compare(at, 4, "<!--") == 0)
        {
            sectionEnd = "-->";
        }
        std::uint32_t replacement = 0;
        std::size_t length = 0;
        if (forbiddenInXml(c))
        {
            replacement = kStandInBase + c;
            length = 1;
        }
        else if (sectionEnd == nullptr && c == '&' && at + 1 < document.size() &&
                 document[at + 1] == '#')
        {
            std::uint32_t codePoint = 0;
            const std::size_t referenceLength = parseCharacterReference(document, at, codePoint);
            if (referenceLength != 0 && codePoint < 0x20)
            {
                replacement = kStandInBase + codePoint;
                length = referenceLength;
            }
            else if (referenceLength != 0 && codePoint > 0xFFFF && codePoint <= 0x10FFFF)
            {
                replacement = codePoint;
                length = referenceLength;
            }
        }
        if (length == 0)
            continue;
        if (!changed)
        {
            out.reserve(document.size() + 64);
            changed = true;
        }
        out.append(document, copiedUpTo, at - copiedUpTo);
        // The character itself, not a reference to it: valid in text,
        // attribute values and CDATA alike.
        appendCodePoint(replacement, out);
        copiedUpTo = at + length;
        at += length - 1;
    }
    if (!changed)
        return false;
    out.append(document, copiedUpTo, std::string::npos);
    rewritten.swap(out);
    return true;
}

void appendUtf8(const wchar_t* text, std::size_t length, std::string& out)
{
    for (std::size_t index = 0; index < length; ++index)
    {
        std::uint32_t unit = static_cast<std::uint16_t>(text[index]);
        std::uint32_t codePoint = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && index + 1 < length)
        {
            const std::uint32_t low = static_cast<std::uint16_t>(text[index + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF)
            {
                codePoint = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++index;
            }
        }
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
            codePoint = 0xFFFD;
        else if (codePoint >= kStandInBase && codePoint < kStandInBase + 0x20)
            codePoint -= kStandInBase;
        appendCodePoint(codePoint, out);
    }
}

}  // namespace ClientDetail
}  // namespace Pegasus
