// Fuzz target: the parse of the device lister's output, with its trace lines
// built (log level 4, records dropped). Every listed name must be what the
// parse promises: at least two characters, no blank, no line feed, no "No".

#include "log.h"
#include "mellanox_util.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Finding(const char* what, const std::string& name)
{
    std::fprintf(stderr, "device list fuzzer: %s: [%s]\n", what, name.c_str());
    std::abort();
}

void TraceEverythingIntoNothing()
{
    static const bool installed = [] {
        Quillet::Log::SetSink([](const Quillet::LogRecord&) {});
        Quillet::Log::SetMinLogLevel(4);
        return true;
    }();
    (void)installed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TraceEverythingIntoNothing();
    const std::string output(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> devices = Quillet::Mellanox::MellanoxUtil::ParseDeviceList(output);

    const size_t lines = static_cast<size_t>(std::count(output.begin(), output.end(), '\n')) + 1;
    if (devices.size() >= lines) {
        Finding("more names than lines after the separator", std::to_string(devices.size()));
    }
    for (const std::string& name : devices) {
        if (name.size() < 2) {
            Finding("name shorter than two characters", name);
        }
        if (name.find(' ') != std::string::npos || name.find('\n') != std::string::npos) {
            Finding("name holds a blank or a line feed", name);
        }
        if (name.find("No") != std::string::npos) {
            Finding("name holds \"No\"", name);
        }
    }
    return 0;
}
