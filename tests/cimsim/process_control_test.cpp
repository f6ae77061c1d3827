// The test-support library against the real binary: start-up, the control
// interface and the counters that other components' tests rely on.

#include "cim_client_requests.h"

#include <gtest/gtest.h>

#include <fstream>

using mlnx_cimsim::testing::CimSimProcess;

namespace {

TEST(CimSimProcess, StartsOnAFreePortAndReportsItsUrl) {
    CimSimProcess sim;
    EXPECT_GT(sim.port(), 0);
    EXPECT_EQ(sim.url(), "http://127.0.0.1:" + std::to_string(sim.port()));
    EXPECT_FALSE(sim.https());
}

TEST(CimSimProcess, TwoSimulatorsRunSideBySide) {
    CimSimProcess first;
    CimSimProcess second({"--https"});
    EXPECT_NE(first.port(), second.port());
    EXPECT_EQ(second.url().rfind("https://127.0.0.1:", 0), 0u);
    EXPECT_EQ(second.stats().providerModule, "started");
}

TEST(CimSimProcess, CountsConnectionsRequestsAndOperationsButNotControlTraffic) {
    CimSimProcess sim;
    auto before = sim.stats();
    EXPECT_EQ(before.connections, 0u);
    EXPECT_EQ(before.requests, 0u);

    mlnx_cimsim::testing::HttpConnection connection(sim.host(), sim.port(), false);
    for (int i = 0; i < 3; ++i) {
        auto response = connection.exchange(cimsim_test::enumerateInstances("MLNX_PCIDevice"));
        ASSERT_EQ(response.status, 200);
    }
    auto after = sim.stats();
    EXPECT_EQ(after.connections, 1u);
    EXPECT_EQ(after.requests, 3u);
    EXPECT_EQ(after.operations.at("EnumerateInstances"), 3u);
}

TEST(CimSimProcess, ProviderModuleStateCanBeSetThroughControlWithoutCountingStartsOrStops) {
    CimSimProcess sim({"--provider-stopped"});
    EXPECT_EQ(sim.stats().providerModule, "stopped");
    sim.setProviderModule(true);
    auto stats = sim.stats();
    EXPECT_EQ(stats.providerModule, "started");
    EXPECT_EQ(stats.starts, 0u);
    EXPECT_EQ(stats.stops, 0u);
}

TEST(CimSimProcess, RejectsAControlDocumentWithAWrongField) {
    CimSimProcess sim;
    EXPECT_THROW(sim.control(R"({"provider_module": "paused"})"), std::runtime_error);
    EXPECT_THROW(sim.control("not json"), std::runtime_error);
}

TEST(CimSimProcess, FailsClearlyWhenTheSimulatorCannotStart) {
    try {
        CimSimProcess sim({"--fixture", "/nonexistent/fixture.json"});
        FAIL() << "a simulator without its fixture must not come up";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("ended before it was listening"), std::string::npos)
            << error.what();
    }
}

TEST(CimSimProcess, DefaultFixturePathPointsAtTheBundledFixture) {
    std::ifstream file(CimSimProcess::defaultFixturePath());
    ASSERT_TRUE(file.good()) << CimSimProcess::defaultFixturePath();
}

}  // namespace
