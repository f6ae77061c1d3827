#pragma once
#include <string>
#include <vector>

namespace cli_test {

// What the simulator's bundled default fixture says about each adapter, so
// that the tests compare the tool's output with the data it was served.
struct FixtureAdapter {
    std::string mstDevice;
    std::string description;
    std::string fwVersion;
    std::vector<std::string> pciDeviceIds;
};

std::vector<FixtureAdapter> DefaultFixtureAdapters();

}  // namespace cli_test
