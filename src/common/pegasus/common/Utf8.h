// UTF-8 <-> UTF-16 conversion used by String and the renderers.
#ifndef Pegasus_Common_Internal_Utf8_h
#define Pegasus_Common_Internal_Utf8_h

#include <cstddef>
#include <string>

#include <Pegasus/Common/Config.h>

namespace Pegasus {
namespace Internal {

// Decodes n bytes of UTF-8 into out, which must hold n units. Returns the
// number of UTF-16 units written, or the offset of the first bad byte in
// badOffset and PEG_NOT_FOUND.
Uint32 decodeUtf8(const char* in, size_t n, Uint16* out, size_t& badOffset);

// Appends the UTF-8 form of n UTF-16 units. Unpaired surrogates are
// encoded as they stand (three bytes each).
void appendUtf8(std::string& out, const Uint16* in, size_t n);

// Bytes needed at most for n UTF-16 units.
inline size_t maxUtf8Size(size_t n)
{
    return n * 3;
}

// Writes the UTF-8 form of n UTF-16 units to out (room for maxUtf8Size(n)
// bytes) and returns the number of bytes written.
size_t encodeUtf8(const Uint16* in, size_t n, char* out);

}  // namespace Internal
}  // namespace Pegasus

#endif
