// What the module logs of the local CIM server's answers about the vendor's provider
// module: "already started" (1) and, for a module stopped under a live object,
// "provider blocked." (CIM_ERR_NOT_SUPPORTED), as OpenPegasus answers.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cim_module_support/simulated_cim_server.h"
#include "log.h"
#include "mellanox.h"

namespace {

using cim_module_support::LocalCimServer;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;

const std::string kModule = "Provider module MLNX_CIMProvider.dll_Module ";

class ProviderModuleLogging : public testing::Test {
protected:
    PauseCounter m_pauses_;
};

TEST_F(ProviderModuleLogging, AlreadyStartedModuleIsStartedOnceAndStoppedOnce)
{
    CimSimProcess server({"--authenticate"});
    LocalCimServer local(server);
    LogCapture capture(3);
    { Mellanox module; }
    EXPECT_EQ(capture.Count(3, kModule + "start returned 1"), 1u);
    EXPECT_EQ(capture.Count(3, kModule + "stop returned 0"), 1u);
    EXPECT_TRUE(capture.Messages(1).empty());
    const mlnx_cimsim::testing::CimSimStats stats = server.stats();
    EXPECT_EQ(stats.starts, 1u);
    EXPECT_EQ(stats.stops, 1u);
}

TEST_F(ProviderModuleLogging, ModuleStoppedUnderALiveObjectBlocksItsRequests)
{
    CimSimProcess server({"--authenticate", "--provider-stopped"});
    LocalCimServer local(server);
    LogCapture capture(3);
    auto first = std::make_unique<Mellanox>();
    auto second = std::make_unique<Mellanox>();
    second.reset();  // stops the module the first object still needs
    Quillet::Mellanox::StructuredInfo_ info;
    EXPECT_EQ(first->GetStructuredInfo(info), 1);
    first.reset();

    EXPECT_EQ(capture.Count(3, kModule + "start returned 0"), 1u);
    EXPECT_EQ(capture.Count(3, kModule + "start returned 1"), 1u);
    EXPECT_EQ(capture.Count(3, kModule + "stop returned 0"), 1u);
    EXPECT_EQ(capture.Count(3, kModule + "stop returned 1"), 1u);
    EXPECT_EQ(capture.Count(1, "Enumerate instances for MLNX_PCIDevice failed with the reason: "
                               "CIM_ERR_NOT_SUPPORTED: provider blocked."),
              1u)
        << (capture.Messages(1).empty() ? "" : capture.Messages(1).front());
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

}  // namespace
