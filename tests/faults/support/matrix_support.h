#pragma once
// What the fault tests share: the fixture's list sizes, assertions on a
// returned inventory and on the error lines of one call.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "cim_module_support/fixture_document.h"
#include "log.h"
#include "structured_info.h"

namespace fault_tests {

const char* const kReconnected = "Cimserver connection succeeded ";
const unsigned int kConnectPauseMs = 10000;

// How many records of each list the fixture gives.
struct FixtureCounts {
    size_t pciDevices;
    size_t ports;
    size_t identities;
};

inline FixtureCounts CountsOf(const cim_module_support::FixtureDocument& fixture)
{
    return {fixture.InstancesOf("MLNX_PCIDevice").size(),
            fixture.InstancesOf("MLNX_IBPort").size() + fixture.InstancesOf("MLNX_EthernetPort").size(),
            fixture.InstancesOf("MLNX_FirmwareIdentity").size() + fixture.InstancesOf("MLNX_SoftwareIdentity").size()};
}

inline void ExpectComplete(const Quillet::Mellanox::StructuredInfo_& info, const FixtureCounts& counts)
{
    EXPECT_EQ(info.pci_devices.size(), counts.pciDevices);
    EXPECT_EQ(info.ports.size(), counts.ports);
    EXPECT_EQ(info.software_identities.size(), counts.identities);
}

inline void ExpectEmpty(const Quillet::Mellanox::StructuredInfo_& info)
{
    EXPECT_TRUE(info.pci_devices.empty());
    EXPECT_TRUE(info.ports.empty());
    EXPECT_TRUE(info.software_identities.empty());
}

inline std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += "\n  " + line;
    }
    return text;
}

// Every level-1 line, each required to start with the prefix at the same index.
inline void ExpectErrorLinesStartWith(const Quillet::LogCapture& capture, const std::vector<std::string>& prefixes)
{
    const std::vector<std::string> errors = capture.Messages(1);
    ASSERT_EQ(errors.size(), prefixes.size()) << Joined(errors);
    for (size_t i = 0; i < errors.size(); ++i) {
        EXPECT_EQ(errors[i].rfind(prefixes[i], 0), 0u) << "expected to start with: " << prefixes[i] << "\n"
                                                        << "got: " << errors[i];
    }
}

}  // namespace fault_tests
