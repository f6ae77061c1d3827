// Letter case of single UTF-16 units: ASCII and Latin-1, which covers CIM
// names and every name this library compares without regard to case.
#ifndef Pegasus_Common_Internal_CaseFolding_h
#define Pegasus_Common_Internal_CaseFolding_h

#include <Pegasus/Common/Config.h>

namespace Pegasus {
namespace Internal {

inline Uint16 toLowerUnit(Uint16 c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? Uint16(c + 32) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return Uint16(c + 32);
    return c;
}

inline Uint16 toUpperUnit(Uint16 c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? Uint16(c - 32) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return Uint16(c - 32);
    return c;
}

}  // namespace Internal
}  // namespace Pegasus

#endif
