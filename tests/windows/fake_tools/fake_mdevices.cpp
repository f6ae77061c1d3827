// Stand-in for the vendor's device lister: "mdevices.exe status" prints the
// Windows form of the list, with CR LF line ends.
//   FAKE_MDEVICES_EXIT=N   exit with N after printing the list
//   FAKE_MDEVICES_NONE=1   print the "No MST devices were found" lines instead
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fake_devices.h"

int main(int argc, char** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc != 2 || std::strcmp(argv[1], "status") != 0) {
        std::fprintf(stderr, "usage: mdevices status\r\n");
        return 1;
    }
    const char* none = std::getenv("FAKE_MDEVICES_NONE");
    if (none != nullptr && std::strcmp(none, "1") == 0) {
        std::printf("    No MST devices were found or MST modules are not loaded.\r\n"
                    "    You may need to run 'mst start' to load MST modules.\r\n");
        return 0;
    }
    std::printf("MST devices:\r\n------------\r\n");
    for (const QuilletWindowsFakes::FakeDevice& device : QuilletWindowsFakes::kFakeDevices) {
        std::printf("  %s\r\n", device.name);
    }
    const char* exitCode = std::getenv("FAKE_MDEVICES_EXIT");
    return exitCode != nullptr ? std::atoi(exitCode) : 0;
}
