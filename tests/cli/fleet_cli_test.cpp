// --hosts: many out-of-band servers in one call, each with its own result line
// and, when it failed, one reason.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <map>
#include <memory>
#include <thread>

#include "cimsim/cimsim_process.h"
#include "cimsim/unused_port.h"
#include "silent_server.h"
#include "tool_run.h"

namespace cli_test {
namespace {

using mlnx_cimsim::testing::CimSimProcess;

std::string Loopback(uint16_t port)
{
    return "127.0.0.1:" + std::to_string(port);
}

std::map<int, nlohmann::json> LinesByPort(const ToolRun& run)
{
    std::map<int, nlohmann::json> byPort;
    for (const nlohmann::json& line : run.JsonLines()) {
        EXPECT_EQ(line.at("host"), "127.0.0.1");
        byPort[line.at("port").get<int>()] = line;
    }
    return byPort;
}

class FleetInventory : public testing::Test {
protected:
    TempDirectory m_temp_;
    const std::string m_password_ = m_temp_.WriteFile("password", "fleet-pw\n");
    const std::string m_other_password_ = m_temp_.WriteFile("other", "another-pw\n");
};

// One server of each kind of failure, all at once: each gets its own reason,
// and the whole run takes about one connect time-out, not the module's
// minutes of attempts and pauses per dead server.
TEST_F(FleetInventory, EachFailedServerHasOneReasonAndDeadOnesCostTheConnectTimeout)
{
    CimSimProcess live({"--user", "admin", "--password-file", m_password_});
    CimSimProcess locked({"--user", "admin", "--password-file", m_other_password_});
    CimSimProcess resetting({"--refuse-connections", "1000"});
    CimSimProcess failing({"--user", "admin", "--password-file", m_password_});
    failing.failClass("MLNX_PCIDevice", 2, "access to the adapters is denied");
    SilentServer silent;
    const uint16_t closed = mlnx_cimsim::testing::unusedLoopbackPort();

    const std::string hosts = m_temp_.WriteFile(
        "hosts", "# lab rack 4\n" + Loopback(live.port()) + "\n" + Loopback(locked.port()) + "  # wrong password\n" +
                     Loopback(resetting.port()) + "\n" + Loopback(failing.port()) + "\n" + Loopback(silent.Port()) +
                     "\n" + Loopback(closed) + "\n");
    const auto start = std::chrono::steady_clock::now();
    const ToolRun run = RunTool({"inventory", "--hosts", hosts, "-j", "6", "--user", "admin", "--password-file",
                                 m_password_, "--connect-timeout", "2", "--json"});
    const auto wall = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    // Before, each dead server cost 2 minutes; the bound leaves room for a loaded machine.
    EXPECT_LT(wall, std::chrono::seconds(20));

    std::map<int, nlohmann::json> byPort = LinesByPort(run);
    ASSERT_EQ(byPort.size(), 6u) << run.out;
    const nlohmann::json& good = byPort.at(live.port());
    EXPECT_EQ(good.at("status"), 0);
    EXPECT_FALSE(good.at("pci_devices").empty());
    EXPECT_FALSE(good.contains("error")) << good.dump();

    const std::map<uint16_t, std::pair<std::string, std::string>> expected{
        {locked.port(), {"authentication_rejected", "\"admin\" or its password was rejected"}},
        // A reset that lands while the client is still connecting reads as a refused
        // connect rather than a reset; either way the message names the server.
        {resetting.port(), {"refused", std::to_string(resetting.port())}},
        {failing.port(), {"cim_error", "CIM error 2 (CIM_ERR_ACCESS_DENIED) on MLNX_PCIDevice: access to"}},
        {silent.Port(), {"unreachable", "within 2 s"}},
        {closed, {"refused", "connection refused"}}};
    for (const auto& [port, reason] : expected) {
        const nlohmann::json& line = byPort.at(port);
        EXPECT_EQ(line.at("status"), 1) << line.dump();
        EXPECT_EQ(line.at("pci_devices"), nlohmann::json::array());
        ASSERT_TRUE(line.contains("error")) << line.dump();
        EXPECT_EQ(line.at("error").size(), 2u) << line.dump();
        EXPECT_EQ(line.at("error").at("kind"), reason.first) << line.dump();
        EXPECT_NE(line.at("error").at("message").get<std::string>().find(reason.second), std::string::npos)
            << line.dump();
    }
    // The module was not asked to connect where the tool's check failed.
    EXPECT_EQ(locked.stats().operations.count("EnumerateInstances"), 0u);
}

TEST_F(FleetInventory, SummaryTableGivesTheReasonAndPerHostCredentialsApply)
{
    CimSimProcess shared({"--user", "admin", "--password-file", m_password_});
    CimSimProcess own({"--user", "root", "--password-file", m_other_password_});
    const uint16_t closed = mlnx_cimsim::testing::unusedLoopbackPort();
    // A relative password file is found next to the hosts file.
    const std::string hosts = m_temp_.WriteFile(
        "hosts", Loopback(shared.port()) + "\n" + Loopback(own.port()) + " user=root password-file=other\n" +
                     Loopback(closed) + "\n127.0.0.1:" + std::to_string(shared.port()) + "   # again\n");
    const ToolRun run =
        RunTool({"inventory", "--hosts", hosts, "--user", "admin", "--password-file", m_password_});
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    EXPECT_NE(run.out.find("REASON"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(Loopback(closed) + "  1"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("refused: connection refused by 127.0.0.1 port " + std::to_string(closed)),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Worst status 1: 1 of 3 servers failed"), std::string::npos) << run.out;
    // Both simulators answered with their own credentials.
    EXPECT_EQ(shared.stats().operations.count("EnumerateInstances"), 1u);
    EXPECT_EQ(own.stats().operations.count("EnumerateInstances"), 1u);
    // The server listed twice is inventoried once, and said so.
    EXPECT_NE(run.err.find("warning: hosts file '" + hosts + "' lists " + Loopback(shared.port()) +
                           " (lines 1, 4) more than once"),
              std::string::npos)
        << run.err;
}

TEST_F(FleetInventory, InterruptPrintsTheSummaryOfTheServersFinished)
{
    CimSimProcess first;
    CimSimProcess slow;
    slow.delayResponses(500);
    CimSimProcess never;
    const std::string hosts = m_temp_.WriteFile(
        "hosts", Loopback(first.port()) + "\n" + Loopback(slow.port()) + "\n" + Loopback(never.port()) + "\n");
    ToolProcess tool({"inventory", "--hosts", hosts, "-j", "1"});
    // The first server is done once the second one is asked.
    for (int i = 0; i < 400 && slow.stats().requests == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    tool.Signal(SIGINT);
    const ToolRun run = tool.Finish();
    EXPECT_EQ(run.exitCode, 130) << run.Describe();
    EXPECT_NE(run.out.find("2 of 3 servers (interrupted)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(Loopback(first.port()) + "  0"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(Loopback(slow.port()) + "  0"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(Loopback(never.port())), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("1 of 3 servers were not inventoried"), std::string::npos) << run.err;
    EXPECT_EQ(never.stats().requests, 0u);
}

// On a terminal the counter keeps the last line; a log line erases it first
// and the counter is drawn again below, so the two never share a line.
TEST_F(FleetInventory, LogLinesNeverRunIntoTheCounter)
{
    CimSimProcess live;
    CimSimProcess failing;
    failing.failClass("MLNX_PCIDevice", 1, "provider gone");
    const std::string hosts = m_temp_.WriteFile("hosts", Loopback(live.port()) + "\n" + Loopback(failing.port()) + "\n");
    RunSettings terminal;
    terminal.stderrOnTerminal = true;
    const ToolRun run = RunTool({"inventory", "--hosts", hosts, "-j", "1"}, terminal);
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    const std::string clearLine = "\r\033[K";
    const std::string logStart = Loopback(failing.port()) + ": [1] ";
    size_t logLines = 0;
    for (size_t at = run.err.find(logStart); at != std::string::npos; at = run.err.find(logStart, at + 1)) {
        ++logLines;
        ASSERT_GE(at, clearLine.size());
        EXPECT_EQ(run.err.substr(at - clearLine.size(), clearLine.size()), clearLine) << run.err;
    }
    EXPECT_GT(logLines, 0u) << run.err;
    EXPECT_NE(run.err.find("inventoried 2 of 2 servers"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.substr(run.err.size() - clearLine.size()), clearLine) << "the counter is erased at the end";
}

TEST(FleetHostsFile, BadLinesAreUsageErrorsNamingTheLine)
{
    TempDirectory temp;
    for (const std::string bad : {"server-b:99999", "server-b user=root", "server-b colour=blue"}) {
        const std::string hosts = temp.WriteFile("hosts", "server-a\n" + bad + "\n");
        const ToolRun run = RunTool({"inventory", "--hosts", hosts, "--json"});
        EXPECT_EQ(run.exitCode, 64) << run.Describe();
        EXPECT_NE(run.err.find("line 2"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(bad), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

}  // namespace
}  // namespace cli_test
