// Stand-in for the vendor's firmware query, run through flint.bat:
// "flint.bat -d DEVICE query" prints that device's query.
//   FAKE_FLINT_FAIL_DEVICE=NAME   the query of NAME fails with "-E- ..." and exit code 1
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fake_devices.h"

namespace {

// The vendor's tool ignores the carriage return and blanks that the
// lister's CR LF lines leave at the end of a device name.
std::string TrimmedDeviceName(const char* text)
{
    std::string name = text;
    while (!name.empty() && (name.back() == '\r' || name.back() == ' ')) {
        name.pop_back();
    }
    return name;
}

}  // namespace

int main(int argc, char** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (argc != 4 || std::strcmp(argv[1], "-d") != 0 || std::strcmp(argv[3], "query") != 0) {
        std::fprintf(stderr, "usage: flint -d DEVICE query\r\n");
        return 1;
    }
    const std::string name = TrimmedDeviceName(argv[2]);
    const char* failing = std::getenv("FAKE_FLINT_FAIL_DEVICE");
    if (failing != nullptr && name == failing) {
        std::fprintf(stderr, "-E- Cannot open Device: %s. MFE_CR_ERROR\r\n", name.c_str());
        return 1;
    }
    for (const QuilletWindowsFakes::FakeDevice& device : QuilletWindowsFakes::kFakeDevices) {
        if (name == device.name) {
            std::printf("Image type:            %s\r\n"
                        "FW Version:            %s\r\n"
                        "Device:                %s\r\n"
                        "PSID:                  %s\r\n",
                        device.imageType, device.fwVersion, device.name, device.psid);
            return 0;
        }
    }
    std::fprintf(stderr, "-E- Cannot open Device: %s. No such file or directory\r\n", name.c_str());
    return 1;
}
