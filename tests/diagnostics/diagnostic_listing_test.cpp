// GetDiagItems through the exported class, in-band against the simulator: names of
// the form service name "|" device identifier, in discovery order.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cim_module_support/fixture_document.h"
#include "cim_module_support/simulated_cim_server.h"
#include "log.h"
#include "mellanox.h"

namespace {

using cim_module_support::FixtureDocument;
using cim_module_support::LocalCimServer;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;

const char* const kReconnected = "Cimserver connection succeeded ";

// The names the fixture's associations should be listed under.
std::vector<std::string> ExpectedNames(const FixtureDocument& fixture)
{
    std::vector<std::string> names;
    for (const nlohmann::json& association : fixture.InstancesOf("MLNX_AvailableDiagnosticService")) {
        names.push_back(association.at("ServiceProvided").at("keys").at("Name").get<std::string>() + "|" +
                        association.at("UserOfService").at("keys").at("DeviceID").get<std::string>());
    }
    return names;
}

TEST(DiagnosticListing, NamesEveryDiagnosticByServiceAndDevice)
{
    PauseCounter pauses;
    CimSimProcess server;
    LocalCimServer local(server);
    Mellanox module;

    std::vector<std::string> names = {"stale"};
    ASSERT_EQ(module.GetDiagItems(names), 0);
    const std::vector<std::string> expected = ExpectedNames(FixtureDocument(CimSimProcess::defaultFixturePath()));
    ASSERT_FALSE(expected.empty()) << "the default fixture offers diagnostics";
    EXPECT_EQ(names, expected);
    EXPECT_EQ(names.front(), "MLNX_PCIeLinkTest|0000:03:00.0");

    // A second discovery replaces the first.
    ASSERT_EQ(module.GetDiagItems(names), 0);
    EXPECT_EQ(names, expected);
    EXPECT_EQ(pauses.Total(), 0u);
}

TEST(DiagnosticListing, MalformedAssociationIsSkippedAndTheOthersListedWithTheirBlanks)
{
    CimSimProcess server({"--fixture", std::string(DIAGNOSTICS_FIXTURE_DIR) + "/malformed_association.json"});
    LocalCimServer local(server);
    Mellanox module;
    LogCapture capture(3);

    std::vector<std::string> names;
    EXPECT_EQ(module.GetDiagItems(names), 1);
    EXPECT_EQ(names, std::vector<std::string>{"MLNX_Self Test|0000:07:00.0 port 1"});
    EXPECT_EQ(capture.Count(2, "Property ServiceProvided is not found as REF."), 1u);
    EXPECT_EQ(capture.Count(3, kReconnected), 1u) << "the client is rebuilt after the discovery";

    // The listed diagnostic still runs.
    Quillet::QuilletIHV::DiagnosticRecord_ record;
    EXPECT_EQ(module.RunDiagnostic(names.front(), record), 0);
    EXPECT_EQ(record.result, 2);
    EXPECT_EQ(record.completion_record, "self test passed");
}

TEST(DiagnosticListing, FailedDiscoveryListsNothingAndTheNextOneWorks)
{
    CimSimProcess server;
    LocalCimServer local(server);
    Mellanox module;
    server.failClass("MLNX_AvailableDiagnosticService", 1, "association provider crashed");
    LogCapture capture(3);

    std::vector<std::string> names = {"stale"};
    EXPECT_EQ(module.GetDiagItems(names), 1);
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(capture.AnyContains(
        "Enumerate instances for MLNX_AvailableDiagnosticService failed with the reason: "));
    EXPECT_EQ(capture.Count(3, kReconnected), 1u);

    server.clearFaults();
    EXPECT_EQ(module.GetDiagItems(names), 0);
    EXPECT_EQ(names.size(), 4u);
}

TEST(DiagnosticListing, LocalServerDownListsNothingAfterTheRetries)
{
    PauseCounter pauses;
    // Outlives the module, whose destruction finds no server either.
    LogCapture capture(1);
    std::unique_ptr<CimSimProcess> server(new CimSimProcess());
    LocalCimServer local(*server);
    Mellanox module;
    server.reset();

    std::vector<std::string> names;
    EXPECT_EQ(module.GetDiagItems(names), 1);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(pauses.Count(10000), 3u) << "one failed request, then three connection attempts";
    EXPECT_EQ(capture.Count(1, "Doesn't support in out-of-band mode"), 0u);
}

}  // namespace
