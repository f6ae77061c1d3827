#include "Utf8.h"

namespace Pegasus {
namespace Internal {

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

}  // namespace

Uint32 decodeUtf8(const char* in, size_t n, Uint16* out, size_t& badOffset)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
    size_t i = 0;
    Uint32 written = 0;
    while (i < n)
    {
        // Runs of ASCII are the common case: copy them without branching on
        // the sequence length.
        while (i < n && p[i] < 0x80)
            out[written++] = p[i++];
        if (i == n)
            break;

        unsigned char lead = p[i];
        Uint32 code;
        size_t length;
        Uint32 minimum;
        if (lead >= 0xC2 && lead <= 0xDF)
        {
            code = lead & 0x1F;
            length = 2;
            minimum = 0x80;
        }
        else if (lead >= 0xE0 && lead <= 0xEF)
        {
            code = lead & 0x0F;
            length = 3;
            minimum = 0x800;
        }
        else if (lead >= 0xF0 && lead <= 0xF4)
        {
            code = lead & 0x07;
            length = 4;
            minimum = 0x10000;
        }
        else
        {
            badOffset = i;
            return PEG_NOT_FOUND;
        }
        if (n - i < length)
        {
            badOffset = i;
            return PEG_NOT_FOUND;
        }
        for (size_t k = 1; k < length; k++)
        {
            if (!isContinuation(p[i + k]))
            {
                badOffset = i;
                return PEG_NOT_FOUND;
            }
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF))
        {
            badOffset = i;
            return PEG_NOT_FOUND;
        }
        if (code >= 0x10000)
        {
            code -= 0x10000;
            out[written++] = Uint16(0xD800 + (code >> 10));
            out[written++] = Uint16(0xDC00 + (code & 0x3FF));
        }
        else
        {
            out[written++] = Uint16(code);
        }
        i += length;
    }
    return written;
}

size_t encodeUtf8(const Uint16* in, size_t n, char* out)
{
    size_t o = 0;
    size_t i = 0;
    while (i < n)
    {
        Uint32 c = in[i++];
        if (c < 0x80)
        {
            out[o++] = char(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i < n && in[i] >= 0xDC00 &&
            in[i] <= 0xDFFF)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (in[i++] - 0xDC00);
            out[o++] = char(0xF0 | (c >> 18));
            out[o++] = char(0x80 | ((c >> 12) & 0x3F));
            out[o++] = char(0x80 | ((c >> 6) & 0x3F));
            out[o++] = char(0x80 | (c & 0x3F));
        }
        else if (c < 0x800)
        {
            out[o++] = char(0xC0 | (c >> 6));
            out[o++] = char(0x80 | (c & 0x3F));
        }
        else
        {
            out[o++] = char(0xE0 | (c >> 12));
            out[o++] = char(0x80 | ((c >> 6) & 0x3F));
            out[o++] = char(0x80 | (c & 0x3F));
        }
    }
    return o;
}

void appendUtf8(std::string& out, const Uint16* in, size_t n)
{
    size_t start = out.size();
    out.resize(start + maxUtf8Size(n));
    size_t written = encodeUtf8(in, n, &out[start]);
    out.resize(start + written);
}

}  // namespace Internal
}  // namespace Pegasus
