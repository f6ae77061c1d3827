// Fuzz target: object path text, through the constructor and set(), then the
// rendering. A path that parsed must render to text that parses back to the
// same rendering; malformed text must end in a Pegasus::Exception.

#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/String.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const Pegasus::String& text)
{
    return std::string(text.getCString());
}

[[noreturn]] void Finding(const char* what, const std::string& first, const std::string& second)
{
    std::fprintf(stderr, "object path fuzzer: %s\n  first:  %s\n  second: %s\n", what, first.c_str(), second.c_str());
    std::abort();
}

void CheckPath(const uint8_t* data, size_t size);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckPath(data, size);
    return 0;
}

namespace {

void CheckPath(const uint8_t* data, size_t size)
{
    Pegasus::String text;
    try {
        text = Pegasus::String(reinterpret_cast<const char*>(data), static_cast<Pegasus::Uint32>(size));
    } catch (const Pegasus::Exception&) {
        return;  // not UTF-8: refused before any parsing
    }

    // Compared as Pegasus strings: a key value may hold a NUL character,
    // which the C string of getCString() would cut short.
    Pegasus::String rendered;
    try {
        const Pegasus::CIMObjectPath constructed(text);
        rendered = constructed.toString();
    } catch (const Pegasus::Exception&) {
        // Malformed: set() must refuse it too, and leave a usable object.
        Pegasus::CIMObjectPath path;
        try {
            path.set(text);
        } catch (const Pegasus::Exception&) {
            Utf8(path.toString());
            return;
        }
        Finding("set() accepted what the constructor refused", Utf8(text), Utf8(path.toString()));
    }

    Pegasus::CIMObjectPath viaSet;
    try {
        viaSet.set(text);
    } catch (const Pegasus::Exception& e) {
        Finding("set() refused what the constructor accepted", Utf8(text), Utf8(e.getMessage()));
    }
    if (viaSet.toString() != rendered) {
        Finding("set() and the constructor disagree", Utf8(rendered), Utf8(viaSet.toString()));
    }

    try {
        const Pegasus::CIMObjectPath reparsed(rendered);
        if (reparsed.toString() != rendered) {
            Finding("rendering does not survive a second parse", Utf8(rendered), Utf8(reparsed.toString()));
        }
    } catch (const Pegasus::Exception& e) {
        Finding("rendered path does not parse", Utf8(rendered), Utf8(e.getMessage()));
    }
}

}  // namespace
