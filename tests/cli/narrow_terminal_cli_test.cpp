// Tables fitted to COLUMNS: descriptions give way, names, addresses and
// identifiers that people copy stay whole.
#include <gtest/gtest.h>

#include <sstream>

#include "tool_run.h"

namespace cli_test {
namespace {

// Cells of the bundled fixture a user copies into other commands.
const std::vector<std::string> kIdentifiers{"03:00.0", "15b3:1013", "mlx5_0:1", "248a:0703:005d:4b01",
                                            "24:8a:07:a1:b2:10", "MT_2190110032", "ConnectX-4 Lx FW MT_2420110034"};
const char kDescription[] = "InfiniBand port 1 of ConnectX-4 adapter 1";

ToolRun InventoryAtWidth(const std::string& columns)
{
    RunSettings settings;
    if (!columns.empty()) settings.environment["COLUMNS"] = columns;
    return RunTool({"inventory", "--simulate"}, settings);
}

std::vector<std::string> TableLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("  ", 0) == 0) lines.push_back(line);
    }
    return lines;
}

TEST(NarrowTerminal, DescriptionsGiveWayAndIdentifiersStayWhole)
{
    const ToolRun run = InventoryAtWidth("60");
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    for (const std::string& line : TableLines(run.out)) {
        EXPECT_LE(line.size(), 60u) << line;
    }
    for (const std::string& identifier : kIdentifiers) {
        EXPECT_NE(run.out.find(identifier), std::string::npos) << identifier << "\n" << run.out;
    }
    EXPECT_EQ(run.out.find(kDescription), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("(not shown: "), std::string::npos) << run.out;
}

TEST(NarrowTerminal, IdentifiersAreNeverCutEvenWhenTheyDoNotFit)
{
    const ToolRun run = InventoryAtWidth("20");
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    for (const std::string& identifier : kIdentifiers) {
        EXPECT_NE(run.out.find(identifier), std::string::npos) << identifier << "\n" << run.out;
    }

    RunSettings settings;
    settings.environment["COLUMNS"] = "30";
    const ToolRun list = RunTool({"diag", "list", "--simulate"}, settings);
    ASSERT_EQ(list.exitCode, 0) << list.Describe();
    const ToolRun names = RunTool({"diag", "list", "--simulate", "--json"});
    for (const std::string& name : names.Json().at("names").get<std::vector<std::string>>()) {
        EXPECT_NE(list.out.find("  " + name), std::string::npos) << name << "\n" << list.out;
    }
}

TEST(NarrowTerminal, PipedOutputWithoutColumnsIsComplete)
{
    for (const std::string& columns : {std::string(), std::string("not-a-number")}) {
        const ToolRun run = InventoryAtWidth(columns);
        ASSERT_EQ(run.exitCode, 0) << run.Describe();
        EXPECT_NE(run.out.find(kDescription), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("not shown"), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find('~'), std::string::npos) << run.out;
    }
}

}  // namespace
}  // namespace cli_test
