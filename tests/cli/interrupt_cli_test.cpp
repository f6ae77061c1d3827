// SIGINT, SIGTERM and SIGHUP during a run: the module object is destroyed,
// so an in-band run leaves the vendor's provider module stopped on the server.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "cimsim/cimsim_process.h"
#include "tool_run.h"

namespace cli_test {
namespace {

using mlnx_cimsim::testing::CimSimProcess;

const int kSlowResponseMs = 300;

// Waits until the module has started the provider module on `server`, i.e.
// the in-band run is under way.
bool AwaitProviderStarted(CimSimProcess& server)
{
    for (int i = 0; i < 200; ++i) {
        if (server.stats().starts > 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

RunSettings InBandAgainst(const CimSimProcess& server)
{
    RunSettings settings;
    settings.environment["QUILLET_CIMSERVER_LOCAL"] = server.url();
    return settings;
}

class InterruptedInBandRun : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(InterruptedInBandRun, StopsTheProviderModuleAndExitsWithTheSignalsCode)
{
    const auto [signalNumber, exitCode] = GetParam();
    CimSimProcess server({"--provider-stopped"});
    server.delayResponses(kSlowResponseMs);
    ToolProcess tool({"inventory", "--json"}, InBandAgainst(server));
    ASSERT_TRUE(AwaitProviderStarted(server));
    tool.Signal(signalNumber);
    const ToolRun run = tool.Finish();

    EXPECT_EQ(run.exitCode, exitCode) << run.Describe();
    const auto stats = server.stats();
    EXPECT_EQ(stats.providerModule, "stopped") << stats.json;
    EXPECT_EQ(stats.starts, 1u);
    EXPECT_EQ(stats.stops, 1u);
    EXPECT_NE(run.err.find("interrupt again to quit at once"), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedInBandRun,
                         testing::Values(std::make_pair(SIGINT, 130), std::make_pair(SIGTERM, 143),
                                         std::make_pair(SIGHUP, 129)));

TEST(InterruptedRun, SecondInterruptQuitsAtOnce)
{
    CimSimProcess server({"--provider-stopped"});
    server.delayResponses(kSlowResponseMs * 10);
    ToolProcess tool({"inventory", "--json"}, InBandAgainst(server));
    ASSERT_TRUE(AwaitProviderStarted(server));
    tool.Signal(SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = std::chrono::steady_clock::now();
    tool.Signal(SIGINT);
    const ToolRun run = tool.Finish();
    EXPECT_EQ(run.exitCode, 130) << run.Describe();
    // Not after the 3 s response it was waiting for.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_NE(run.err.find("SIGINT again: quitting at once"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
}

}  // namespace
}  // namespace cli_test
