// What the command line refuses, and how.
#include <gtest/gtest.h>

#include "tool_run.h"

namespace cli_test {
namespace {

const int kUsageError = 64;

TEST(CommandLine, NoPasswordOptionExists)
{
    const ToolRun run = RunTool({"inventory", "--host", "server", "--user", "admin", "--password", "secret"});
    EXPECT_EQ(run.exitCode, kUsageError) << run.Describe();
    EXPECT_NE(run.err.find("--password"), std::string::npos) << run.err;
}

TEST(CommandLine, CredentialsNeedAnOutOfBandTarget)
{
    const ToolRun run = RunTool({"inventory", "--user", "admin"});
    EXPECT_EQ(run.exitCode, kUsageError) << run.Describe();
    EXPECT_NE(run.err.find("--user applies to out-of-band connections"), std::string::npos) << run.err;
}

TEST(CommandLine, UserWithoutPasswordAndNoTerminalToAsk)
{
    const ToolRun run = RunTool({"inventory", "--host", "127.0.0.1", "--user", "admin"});
    EXPECT_EQ(run.exitCode, kUsageError) << run.Describe();
    EXPECT_NE(run.err.find("--password-file"), std::string::npos) << run.err;
}

TEST(CommandLine, HostsFileServesTheInventoryAndMetricsOnly)
{
    const ToolRun run = RunTool({"identities", "--hosts", "/dev/null"});
    EXPECT_EQ(run.exitCode, kUsageError) << run.Describe();
    EXPECT_NE(run.err.find("--hosts works with the inventory and metrics operations only"), std::string::npos) << run.err;
}

TEST(CommandLine, UnreadablePasswordFileNamesIt)
{
    const ToolRun run = RunTool(
        {"inventory", "--host", "127.0.0.1", "--user", "admin", "--password-file", "/nonexistent/pw"});
    EXPECT_EQ(run.exitCode, 66) << run.Describe();
    EXPECT_NE(run.err.find("/nonexistent/pw"), std::string::npos) << run.err;
}

TEST(CommandLine, HelpListsTheOperations)
{
    const ToolRun run = RunTool({"--help"});
    EXPECT_EQ(run.exitCode, 0) << run.Describe();
    for (const char* operation : {"inventory", "identities", "diag", "rawdata"}) {
        EXPECT_NE(run.out.find(operation), std::string::npos) << operation;
    }
}

}  // namespace
}  // namespace cli_test
