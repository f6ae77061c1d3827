// Run by host_cim_server.sh inside private mount and network namespaces where user
// ID 65534 listens at /var/tmp/cimxml.socket and 127.0.0.1:5988 (the CIM server is
// down): the exported class in-band refuses both, says why, and sends them nothing
// (the script reads the squatter's request log). Not registered with CTest alone.

#include <gtest/gtest.h>

#include <string>

#include "cim_module_support/simulated_cim_server.h"
#include "log.h"
#include "mellanox.h"

namespace {

TEST(SquattedHost, TheModuleRefusesEndpointsAnotherUserHolds)
{
    cim_module_support::PauseCounter pauses;
    Quillet::LogCapture capture(1);
    {
        Quillet::Mellanox::Mellanox module;
        Quillet::Mellanox::StructuredInfo_ info;
        EXPECT_EQ(module.GetStructuredInfo(info), 1);
        EXPECT_TRUE(info.pci_devices.empty());
    }
    std::string messages;
    for (const std::string& message : capture.Messages(1)) {
        messages += message + "\n";
    }
    EXPECT_NE(messages.find("/var/tmp/cimxml.socket refused: its socket file belongs to user ID 65534, not root"),
              std::string::npos)
        << messages;
    EXPECT_NE(messages.find("127.0.0.1:5988 refused: its listener belongs to user ID 65534, neither root nor "
                            "this process's user"),
              std::string::npos)
        << messages;
    EXPECT_NE(messages.find("127.0.0.1:5989 refused: nobody listens there"), std::string::npos) << messages;
}

}  // namespace
