// What the command line refuses, and how: the tool's prefix, the word that
// is wrong, and what would work.
#include <gtest/gtest.h>

#include "tool_run.h"

namespace cli_test {
namespace {

const int kUsageError = 64;
const char kPrefix[] = "quillet-mellanox: ";

void ExpectRefused(const std::vector<std::string>& arguments, const std::vector<std::string>& mentioned)
{
    const ToolRun run = RunTool(arguments);
    EXPECT_EQ(run.exitCode, kUsageError) << run.Describe();
    EXPECT_EQ(run.err.rfind(kPrefix, 0), 0u) << run.err;
    for (const std::string& text : mentioned) {
        EXPECT_NE(run.err.find(text), std::string::npos) << "'" << text << "' not in: " << run.err;
    }
    EXPECT_TRUE(run.out.empty()) << run.out;
}

TEST(CommandLine, BadWordsAreNamedWithWhatWouldWork)
{
    ExpectRefused({"frobnicate"}, {"unknown operation 'frobnicate'", "inventory, identities, diag list"});
    ExpectRefused({"inventroy", "--simulate"}, {"'inventroy'", "did you mean inventory?"});
    ExpectRefused({"inventory", "--simulte"}, {"unknown option '--simulte'", "did you mean --simulate?"});
    ExpectRefused({"diag"}, {"diag list, or diag run NAME"});
    ExpectRefused({}, {"no operation given", "inventory"});
    ExpectRefused({"inventory", "--log-level", "9"}, {"--log-level"});
}

TEST(CommandLine, PasswordOnTheCommandLinePointsToThePasswordFile)
{
    ExpectRefused({"inventory", "--host", "server", "--user", "admin", "--password", "secret"},
                  {"no --password option", "--password-file FILE"});
    ExpectRefused({"inventory", "--host", "server", "--user", "admin", "--password=secret"},
                  {"--password-file"});
}

// A script's empty variable must never turn an out-of-band run into an
// in-band one on the machine that runs the script.
TEST(CommandLine, EmptyOrMalformedHostIsRefusedNeverInBand)
{
    ExpectRefused({"inventory", "--host", ""}, {"--host '' is empty"});
    ExpectRefused({"inventory", "--host="}, {"is empty"});
    ExpectRefused({"inventory", "--host", "cim.example.net:5989"}, {"holds a port", "--port"});
    ExpectRefused({"inventory", "--host", "https://cim.example.net"}, {"is a URL"});
    ExpectRefused({"inventory", "--host", "two words"}, {"blanks"});
    ExpectRefused({"inventory", "--host", "bad_na$me"}, {"'$'"});
    ExpectRefused({"inventory", "--host", "[fe80::1"}, {"is not an IPv6 address"});
}

TEST(CommandLine, CredentialsNeedAnOutOfBandTarget)
{
    ExpectRefused({"inventory", "--user", "admin"}, {"--user applies to out-of-band connections"});
    ExpectRefused({"inventory", "--verify-cert", "/dev/null"}, {"--verify-cert", "--ssl"});
}

TEST(CommandLine, UserWithoutPasswordAndNoTerminalToAsk)
{
    const ToolRun run = RunTool({"inventory", "--host", "127.0.0.1", "--user", "admin"});
    EXPECT_EQ(run.exitCode, kUsageError) << run.Describe();
    EXPECT_NE(run.err.find("--password-file"), std::string::npos) << run.err;
}

TEST(CommandLine, HostsFileServesTheInventoryAndMetricsOnly)
{
    ExpectRefused({"identities", "--hosts", "/dev/null"}, {"--hosts works with the inventory and metrics operations only"});
}

TEST(CommandLine, PasswordFileMustHoldAPassword)
{
    TempDirectory temp;
    const std::vector<std::string> base{"inventory", "--host", "127.0.0.1", "--user", "admin", "--password-file"};
    auto runWith = [&](const std::string& file) {
        std::vector<std::string> arguments = base;
        arguments.push_back(file);
        return RunTool(arguments);
    };
    const ToolRun missing = runWith("/nonexistent/pw");
    EXPECT_EQ(missing.exitCode, 66) << missing.Describe();
    EXPECT_NE(missing.err.find("/nonexistent/pw"), std::string::npos) << missing.err;

    const ToolRun directory = runWith(temp.Path());
    EXPECT_EQ(directory.exitCode, 66) << directory.Describe();
    EXPECT_NE(directory.err.find("is a directory"), std::string::npos) << directory.err;

    for (const std::string& content : {std::string(), std::string("\nsecond line\n")}) {
        const ToolRun empty = runWith(temp.WriteFile("empty", content));
        EXPECT_EQ(empty.exitCode, 65) << empty.Describe();
        EXPECT_NE(empty.err.find("holds no password"), std::string::npos) << empty.err;
    }
}

TEST(CommandLine, HelpListsOperationsExitCodesAndTheOptionsOfEachOperation)
{
    const ToolRun run = RunTool({"--help"});
    EXPECT_EQ(run.exitCode, 0) << run.Describe();
    for (const char* text : {"inventory", "identities", "diag", "rawdata", "Exit codes:", "130", "143",
                             "does NOT verify the server's certificate", "--verify-cert", "--connect-timeout"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text;
    }
    const ToolRun diagRun = RunTool({"diag", "run", "--help"});
    EXPECT_EQ(diagRun.exitCode, 0) << diagRun.Describe();
    for (const char* option : {"NAME", "--simulate", "--json", "--host", "--log-level"}) {
        EXPECT_NE(diagRun.out.find(option), std::string::npos) << option << "\n" << diagRun.out;
    }
}

TEST(CommandLine, VersionComesFromTheBuild)
{
    const ToolRun run = RunTool({"--version"});
    EXPECT_EQ(run.exitCode, 0) << run.Describe();
    EXPECT_EQ(run.out, "quillet-mellanox " QUILLET_MELLANOX_VERSION "\n");
}

}  // namespace
}  // namespace cli_test
