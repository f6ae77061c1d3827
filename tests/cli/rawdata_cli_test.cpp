// Raw data through the tool: with --simulate the module runs the build's
// fake firmware tools.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fixture_facts.h"
#include "record_keys.h"
#include "tool_run.h"

namespace cli_test {
namespace {

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

TEST(RawDataCommand, SimulatedCollectionIsANumberedSeriesPerDevice)
{
    const ToolRun run = RunTool({"rawdata", "--simulate", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    const nlohmann::json document = run.Json();
    EXPECT_EQ(document.at("status"), 0);
    const auto& records = document.at("raw_data");
    const std::vector<FixtureAdapter> adapters = DefaultFixtureAdapters();
    ASSERT_EQ(records.size(), adapters.size() + 1) << run.out;
    EXPECT_EQ(records[0].at("name"), "Mellanox_00_all_devices_info");
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(KeysOf(records[i]), kRawDataKeys);
        EXPECT_FALSE(records[i].at("content").get<std::string>().empty()) << records[i].dump();
        if (i > 0) {
            char expected[64];
            std::snprintf(expected, sizeof expected, "Mellanox_%02zu_device_info", i);
            EXPECT_EQ(records[i].at("name"), expected);
            EXPECT_NE(records[i].at("command").get<std::string>().find("flint.bat -d "), std::string::npos);
        }
    }
    for (const FixtureAdapter& adapter : adapters) {
        EXPECT_NE(records[0].at("content").get<std::string>().find(adapter.mstDevice), std::string::npos)
            << adapter.mstDevice;
    }
}

TEST(RawDataCommand, OutDirectoryGetsOneFilePerRecordNamedAfterIt)
{
    TempDirectory temp;
    const std::string out = temp.Path() + "/service-data";
    const ToolRun run = RunTool({"rawdata", "--simulate", "--json", "--out", out});
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    const nlohmann::json document = run.Json();
    const auto& records = document.at("raw_data");
    ASSERT_FALSE(records.empty());
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, records.size());
    for (const auto& record : records) {
        EXPECT_EQ(ReadWholeFile(out + "/" + record.at("name").get<std::string>()), record.at("content"));
    }
}

TEST(RawDataCommand, RootWithoutTheToolsGivesStatusTwoAndNoRecords)
{
    TempDirectory emptyRoot;
    const ToolRun run = RunTool({"rawdata", "--simulate", "--json", "--root", emptyRoot.Path()});
    EXPECT_EQ(run.exitCode, 2) << run.Describe();
    EXPECT_EQ(run.Json().at("raw_data"), nlohmann::json::array());
    EXPECT_NE(run.err.find("Can not find"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace cli_test
