// Inventory and identities through the tool, against the simulated CIM server
// that --simulate starts (in-band: the module enables the provider itself).
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "cimsim/cimsim_process.h"
#include "fixture_facts.h"
#include "record_keys.h"
#include "tool_run.h"

namespace cli_test {
namespace {

std::set<std::string> VersionsOf(const nlohmann::json& identities)
{
    std::set<std::string> versions;
    for (const auto& identity : identities) {
        versions.insert(identity.at("version_string").get<std::string>());
    }
    return versions;
}

TEST(InventoryCommand, SimulatedJsonHoldsEveryAdapterWithRecordFieldNames)
{
    const ToolRun run = RunTool({"inventory", "--simulate", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    const nlohmann::json document = run.Json();
    EXPECT_EQ(document.at("status"), 0);

    const std::vector<FixtureAdapter> adapters = DefaultFixtureAdapters();
    ASSERT_FALSE(adapters.empty());
    const auto& devices = document.at("pci_devices");
    ASSERT_GE(devices.size(), adapters.size());
    for (const auto& device : devices) {
        EXPECT_EQ(KeysOf(device), kPciDeviceKeys);
        EXPECT_TRUE(device.at("type") == 0 || device.at("type") == 1) << device.dump();
    }
    ASSERT_FALSE(document.at("ports").empty());
    for (const auto& port : document.at("ports")) {
        EXPECT_EQ(KeysOf(port), kPortKeys);
    }
    const auto& identities = document.at("software_identities");
    for (const auto& identity : identities) {
        EXPECT_EQ(KeysOf(identity), kSoftwareIdentityKeys);
        EXPECT_EQ(identity.at("is_PLDM_update_supported"), "0");
        EXPECT_EQ(identity.at("reserved_value"), 3);
    }
    const std::set<std::string> versions = VersionsOf(identities);
    for (const FixtureAdapter& adapter : adapters) {
        EXPECT_EQ(versions.count(adapter.fwVersion), 1u) << "firmware " << adapter.fwVersion << " of "
                                                         << adapter.mstDevice << " missing";
    }
}

TEST(InventoryCommand, TableShowsFunctionsPortsAndFirmwareForPeople)
{
    const ToolRun run = RunTool({"inventory", "--simulate"});
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    EXPECT_NE(run.out.find("in-band via simulated CIM server http://127.0.0.1:"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("PCI functions ("), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Ports ("), std::string::npos) << run.out;
    for (const FixtureAdapter& adapter : DefaultFixtureAdapters()) {
        EXPECT_NE(run.out.find(adapter.fwVersion), std::string::npos) << adapter.fwVersion << "\n" << run.out;
    }
    EXPECT_NE(run.out.find("Status 0: success"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('{'), std::string::npos) << "tables, not JSON, unless --json";
}

TEST(IdentitiesCommand, ClassifiedWithoutDuplicates)
{
    const ToolRun run = RunTool({"identities", "--simulate", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    const nlohmann::json document = run.Json();
    EXPECT_EQ(document.at("status"), 0);
    const auto& identities = document.at("software_identities");
    ASSERT_FALSE(identities.empty());
    std::set<std::tuple<std::string, std::string, std::string, std::string>> seen;
    for (const auto& identity : identities) {
        EXPECT_EQ(KeysOf(identity), kSoftwareIdentityKeys);
        EXPECT_FALSE(identity.at("classifications").get<std::string>().empty()) << identity.dump();
        const auto key = std::make_tuple(identity.at("version_string").get<std::string>(),
                                         identity.at("classifications").get<std::string>(),
                                         identity.at("product_name").get<std::string>(),
                                         identity.at("element_name").get<std::string>());
        EXPECT_TRUE(seen.insert(key).second) << "duplicate identity " << identity.dump();
    }
    const std::set<std::string> versions = VersionsOf(identities);
    for (const FixtureAdapter& adapter : DefaultFixtureAdapters()) {
        EXPECT_EQ(versions.count(adapter.fwVersion), 1u) << adapter.fwVersion;
    }
}

// In-band, the module reaches the local CIM server through the client
// library's QUILLET_CIMSERVER_LOCAL and starts and stops the provider there.
TEST(InventoryCommand, InBandStartsAndStopsTheProviderModuleOfTheLocalServer)
{
    mlnx_cimsim::testing::CimSimProcess server({"--provider-stopped"});
    RunSettings settings;
    settings.environment["QUILLET_CIMSERVER_LOCAL"] = server.url();
    const ToolRun run = RunTool({"inventory", "--json"}, settings);
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    EXPECT_FALSE(run.Json().at("pci_devices").empty());
    const auto stats = server.stats();
    EXPECT_EQ(stats.starts, 1u);
    EXPECT_EQ(stats.stops, 1u);
    EXPECT_EQ(stats.providerModule, "stopped");
}

}  // namespace
}  // namespace cli_test
