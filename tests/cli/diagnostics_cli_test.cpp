// Diagnostics through the tool against the simulated CIM server.
#include <gtest/gtest.h>

#include <algorithm>

#include "cimsim/cimsim_process.h"
#include "record_keys.h"
#include "tool_run.h"

namespace cli_test {
namespace {

using mlnx_cimsim::testing::CimSimProcess;

std::vector<std::string> ListedNames()
{
    const ToolRun run = RunTool({"diag", "list", "--simulate", "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.Describe();
    const nlohmann::json document = run.Json();
    if (!document.contains("names")) {
        return {};
    }
    EXPECT_EQ(document.at("status"), 0);
    return document.at("names").get<std::vector<std::string>>();
}

TEST(DiagCommand, ListNamesEachDiagnosticByServiceAndDevice)
{
    const std::vector<std::string> names = ListedNames();
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        EXPECT_EQ(std::count(name.begin(), name.end(), '|'), 1) << name;
        EXPECT_NE(name.front(), '|') << name;
        EXPECT_NE(name.back(), '|') << name;
    }
}

TEST(DiagCommand, RunOfAListedDiagnosticReportsItsCompletion)
{
    const std::vector<std::string> names = ListedNames();
    ASSERT_FALSE(names.empty());
    const ToolRun run = RunTool({"diag", "run", names.front(), "--simulate", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    const nlohmann::json document = run.Json();
    EXPECT_EQ(document.at("status"), 0);
    EXPECT_EQ(document.at("name"), names.front());
    const auto& record = document.at("record");
    EXPECT_EQ(KeysOf(record), kDiagnosticRecordKeys);
    EXPECT_GE(record.at("result"), 2) << record.dump();
    EXPECT_FALSE(record.at("completion_state").get<std::string>().empty()) << record.dump();
    // Not a terminal: no progress line on stderr.
    EXPECT_EQ(run.err.find('\r'), std::string::npos) << run.err;
}

TEST(DiagCommand, RunOfAnUnknownNameRunsNothingAndPointsToTheList)
{
    const ToolRun run = RunTool({"diag", "run", "NoSuchService|nodevice", "--simulate", "--json"});
    EXPECT_EQ(run.exitCode, 6) << run.Describe();
    const nlohmann::json document = run.Json();
    EXPECT_EQ(document.at("status"), 1);
    EXPECT_EQ(document.at("record").at("result"), 0);
    EXPECT_EQ(document.at("record").at("completion_state"), "");
    EXPECT_NE(run.err.find("no diagnostic matches 'NoSuchService|nodevice'; 'quillet-mellanox diag list'"),
              std::string::npos)
        << run.err;

    const ToolRun table = RunTool({"diag", "run", "NoSuchService|nodevice", "--simulate"});
    EXPECT_EQ(table.exitCode, 6) << table.Describe();
    EXPECT_NE(table.out.find("'quillet-mellanox diag list' shows the names"), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find("a CIM step failed"), std::string::npos) << table.out;
}

// A diagnostic that runs to its end with another outcome than OK is a
// failure for whoever runs it: the exit code says so, stderr says why.
TEST(DiagCommand, ResultOtherThanOkExitsFive)
{
    CimSimProcess server({"--provider-stopped"});
    RunSettings inBand;
    inBand.environment["QUILLET_CIMSERVER_LOCAL"] = server.url();
    const ToolRun list = RunTool({"diag", "list", "--json"}, inBand);
    ASSERT_EQ(list.exitCode, 0) << list.Describe();
    const std::string name = list.Json().at("names").at(0);

    for (const std::string state : {"Failed", "Warning"}) {
        server.control(R"({"next_jobs": [{"completion_state": ")" + state + R"("}]})");
        const ToolRun run = RunTool({"diag", "run", name}, inBand);
        EXPECT_EQ(run.exitCode, 5) << run.Describe();
        EXPECT_NE(run.err.find("diagnostic '" + name + "' ended with result"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("completion state '" + state + "'"), std::string::npos) << run.err;
        EXPECT_NE(run.out.find("Status 0: success"), std::string::npos) << run.out;
    }
    server.control(R"({"next_jobs": [{"completion_state": "OK"}]})");
    EXPECT_EQ(RunTool({"diag", "run", name}, inBand).exitCode, 0);
}

TEST(DiagCommand, OutOfBandIsRefusedWithStatusFour)
{
    const ToolRun list = RunTool({"diag", "list", "--simulate", "--oob", "--json"});
    EXPECT_EQ(list.exitCode, 4) << list.Describe();
    EXPECT_EQ(list.Json().at("names"), nlohmann::json::array());

    const ToolRun run = RunTool({"diag", "run", "any|thing", "--simulate", "--oob", "--json"});
    EXPECT_EQ(run.exitCode, 4) << run.Describe();
    EXPECT_NE(run.err.find("[1] Doesn't support in out-of-band mode"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace cli_test
