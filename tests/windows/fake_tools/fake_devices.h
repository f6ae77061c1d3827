#pragma once
// The adapters the Windows fake tools report, as the vendor's tools print them.
#include <cstddef>

namespace QuilletWindowsFakes {

struct FakeDevice {
    const char* name;
    const char* imageType;
    const char* fwVersion;
    const char* psid;
};

const FakeDevice kFakeDevices[] = {
    {"mt4103_pciconf0", "FS2", "2.42.5000", "MT_1090111023"},
    {"mt4117_pciconf0", "FS3", "14.32.1010", "MT_2420110034"},
};
const std::size_t kFakeDeviceCount = sizeof kFakeDevices / sizeof kFakeDevices[0];

}  // namespace QuilletWindowsFakes
