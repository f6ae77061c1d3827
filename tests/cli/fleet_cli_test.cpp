// --hosts: many out-of-band servers in one call, each with its own result line.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "cimsim/cimsim_process.h"
#include "tool_run.h"

namespace cli_test {
namespace {

using mlnx_cimsim::testing::CimSimProcess;

TEST(FleetInventory, OneLinePerServerAndTheWorstStatusAsExitCode)
{
    TempDirectory temp;
    const std::string password = temp.WriteFile("password", "fleet-pw\n");
    const std::string otherPassword = temp.WriteFile("other", "another-pw\n");
    CimSimProcess first({"--user", "admin", "--password-file", password});
    CimSimProcess second({"--user", "admin", "--password-file", password});
    CimSimProcess locked({"--user", "admin", "--password-file", otherPassword});

    const std::string hosts = temp.WriteFile(
        "hosts", "# lab rack 4\n127.0.0.1:" + std::to_string(first.port()) + "\n\n  127.0.0.1:" +
                     std::to_string(second.port()) + "   # second\n127.0.0.1:" + std::to_string(locked.port()) +
                     "\n");
    const ToolRun run = RunTool({"inventory", "--hosts", hosts, "-j", "2", "--user", "admin", "--password-file",
                                 password, "--json"});
    EXPECT_EQ(run.exitCode, 1) << run.Describe();

    std::map<int, nlohmann::json> byPort;
    for (const nlohmann::json& line : run.JsonLines()) {
        EXPECT_EQ(line.at("host"), "127.0.0.1");
        byPort[line.at("port").get<int>()] = line;
    }
    ASSERT_EQ(byPort.size(), 3u) << run.out;
    for (const CimSimProcess* open : {&first, &second}) {
        const nlohmann::json& line = byPort.at(open->port());
        EXPECT_EQ(line.at("status"), 0) << line.dump();
        EXPECT_FALSE(line.at("pci_devices").empty());
        EXPECT_FALSE(line.at("ports").empty());
        EXPECT_FALSE(line.at("software_identities").empty());
    }
    const nlohmann::json& refused = byPort.at(locked.port());
    EXPECT_EQ(refused.at("status"), 1);
    EXPECT_EQ(refused.at("pci_devices"), nlohmann::json::array());
    // Log lines say which server they are about.
    EXPECT_NE(run.err.find("127.0.0.1:" + std::to_string(locked.port()) + ": [1] "), std::string::npos) << run.err;
}

TEST(FleetInventory, BadHostsLineIsAUsageErrorNamingTheLine)
{
    TempDirectory temp;
    const std::string hosts = temp.WriteFile("hosts", "server-a\nserver-b:99999\n");
    const ToolRun run = RunTool({"inventory", "--hosts", hosts, "--json"});
    EXPECT_EQ(run.exitCode, 64) << run.Describe();
    EXPECT_NE(run.err.find("line 2"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("server-b:99999"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
}

}  // namespace
}  // namespace cli_test
