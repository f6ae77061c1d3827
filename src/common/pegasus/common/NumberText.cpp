#include "NumberText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Pegasus {
namespace Internal {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Magnitude of an unsigned literal without sign; false on bad syntax or
// overflow.
bool parseMagnitude(const char* p, Uint64& value)
{
    value = 0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
    {
        p += 2;
        if (!*p)
            return false;
        for (; *p; p++)
        {
            int digit = hexValue(*p);
            if (digit < 0 || value > (~Uint64(0) >> 4))
                return false;
            value = (value << 4) | Uint64(digit);
        }
        return true;
    }
    if (!*p || (p[0] == '0' && p[1]))
        return false;
    for (; *p; p++)
    {
        if (*p < '0' || *p > '9')
            return false;
        Uint64 digit = Uint64(*p - '0');
        if (value > (~Uint64(0) - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

}  // namespace

bool parseUnsignedInteger(const char* text, Uint64& value)
{
    if (*text == '+')
        text++;
    return parseMagnitude(text, value);
}

bool parseSignedInteger(const char* text, Sint64& value)
{
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        text++;
    Uint64 magnitude;
    if (!parseMagnitude(text, magnitude))
        return false;
    if (negative)
    {
        if (magnitude > Uint64(1) << 63)
            return false;
        value = Sint64(0 - magnitude);
    }
    else
    {
        if (magnitude > Uint64(0x7FFFFFFFFFFFFFFFULL))
            return false;
        value = Sint64(magnitude);
    }
    return true;
}

bool parseReal(const char* text, Real64& value)
{
    // [+|-] digits [. digits] [(e|E) [+|-] digits], at least one digit in
    // the mantissa.
    const char* p = text;
    if (*p == '+' || *p == '-')
        p++;
    bool digits = false;
    while (*p >= '0' && *p <= '9')
    {
        p++;
        digits = true;
    }
    if (*p == '.')
    {
        p++;
        while (*p >= '0' && *p <= '9')
        {
            p++;
            digits = true;
        }
    }
    if (!digits)
        return false;
    if (*p == 'e' || *p == 'E')
    {
        p++;
        if (*p == '+' || *p == '-')
            p++;
        if (!(*p >= '0' && *p <= '9'))
            return false;
        while (*p >= '0' && *p <= '9')
            p++;
    }
    if (*p)
        return false;
    errno = 0;
    value = std::strtod(text, nullptr);
    return errno != ERANGE || value == 0;
}

void appendUnsigned(std::string& out, Uint64 value)
{
    char buffer[24];
    char* end = buffer + sizeof(buffer);
    char* p = end;
    do
    {
        *--p = char('0' + value % 10);
        value /= 10;
    } while (value);
    out.append(p, size_t(end - p));
}

void appendSigned(std::string& out, Sint64 value)
{
    if (value < 0)
    {
        out.push_back('-');
        appendUnsigned(out, Uint64(0) - Uint64(value));
    }
    else
    {
        appendUnsigned(out, Uint64(value));
    }
}

void appendReal(std::string& out, Real64 value)
{
    char buffer[64];
    int n = std::snprintf(buffer, sizeof(buffer), "%.16e", value);
    if (n <= 0)
        return;
    // Some C libraries print three exponent digits ("e+005"); OpenPegasus
    // output has two unless more are needed.
    char* e = std::strchr(buffer, 'e');
    if (e && (e[1] == '+' || e[1] == '-') && std::strlen(e + 2) == 3 && e[2] == '0')
    {
        std::memmove(e + 2, e + 3, 2);
        e[4] = 0;
        n--;
    }
    out.append(buffer, std::strlen(buffer));
}

}  // namespace Internal
}  // namespace Pegasus
