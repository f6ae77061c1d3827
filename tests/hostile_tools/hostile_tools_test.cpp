// The firmware tools at their worst, through the exported class in-band:
// device names full of shell metacharacters, a query that prints 100 MB, and
// one that never exits. Each ends with the documented result, and the next
// collection on the same object is whole once the tool behaves again.

#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cim_module_support/simulated_cim_server.h"
#include "log.h"
#include "mellanox.h"
#include "quillet_ihv.h"
#include "scoped_environment.h"
#include "scoped_temp_directory.h"

namespace {

using cim_module_support::LocalCimServer;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;
using Quillet::QuilletIHV::RawData_;
using QuilletTest::ScopedEnvironment;
using QuilletTest::ScopedTempDirectory;

const std::string kFakeRoot = FAKE_MFT_ROOT;
const std::string kFlint = kFakeRoot + "/utilities/mellanox/WinMFT/flint.bat";
const std::string kMdevices = kFakeRoot + "/utilities/mellanox/WinMFT/mdevices.exe";

// Runs in a directory of its own while alive, so that a command a shell
// might have run would leave its files there.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::filesystem::path& directory)
        : m_previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(directory);
    }
    ~ScopedWorkingDirectory() { std::filesystem::current_path(m_previous_); }
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::filesystem::path m_previous_;
};

// A fake-tools fixture with one adapter of the simulator's default fixture per
// device name.
std::string FixtureWithDevices(const ScopedTempDirectory& directory, const std::vector<std::string>& devices)
{
    std::ifstream defaults(CimSimProcess::defaultFixturePath());
    const nlohmann::json adapter = nlohmann::json::parse(defaults).at("adapters").at(0);
    nlohmann::json fixture{{"adapters", nlohmann::json::array()}};
    for (const std::string& device : devices) {
        nlohmann::json copy = adapter;
        copy["mst_device"] = device;
        fixture["adapters"].push_back(copy);
    }
    return directory.WriteFile("fixture.json", fixture.dump(2)).string();
}

std::vector<std::string> Lines(const std::string& path)
{
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> NamesOf(const std::vector<RawData_>& records)
{
    std::vector<std::string> names;
    for (const RawData_& record : records) {
        names.push_back(record.name);
    }
    return names;
}

class HostileTools : public testing::Test {
protected:
    PauseCounter m_pauses_;
    CimSimProcess m_server_;
    LocalCimServer m_local_{m_server_};
    ScopedTempDirectory m_directory_;
    Mellanox m_module_;
};

TEST_F(HostileTools, DeviceNamesWithShellMetacharactersReachTheToolAsOneArgumentEach)
{
    // No blanks (the listing's parse removes them) and no "No" (it passes such lines over).
    const std::vector<std::string> devices = {
        "mt4115;touch${IFS}injected-semicolon",
        "$(touch${IFS}injected-substitution)",
        "`touch${IFS}injected-backquote`",
        "mt|touch${IFS}injected-pipe",
        "mt&&touch${IFS}injected-and&",
        "mt>injected-redirect",
        "\"dq\"'sq'\\bs*?[a]~#!%^{x,y}",
    };
    const std::string argumentsLog = (m_directory_.Path() / "arguments.log").string();
    ScopedEnvironment tools({{"FAKE_MFT_FIXTURE", FixtureWithDevices(m_directory_, devices)},
                           {"FAKE_MFT_ARGS_LOG", argumentsLog}});
    ScopedWorkingDirectory inside(m_directory_.Path());

    std::vector<RawData_> records;
    EXPECT_EQ(m_module_.GetRawData(records, kFakeRoot), 0);
    ASSERT_EQ(records.size(), devices.size() + 1);
    EXPECT_EQ(records[0].name, "Mellanox_00_all_devices_info");
    std::vector<std::string> expectedLog{"mdevices.exe [status]"};
    for (size_t i = 0; i < devices.size(); ++i) {
        const RawData_& record = records[i + 1];
        EXPECT_EQ(record.command, kFlint + " -d " + devices[i] + " query");
        EXPECT_NE(record.content.find("PSID:                  MT_2190110032"), std::string::npos) << record.content;
        expectedLog.push_back("flint.bat [-d] [" + devices[i] + "] [query]");
    }
    EXPECT_EQ(Lines(argumentsLog), expectedLog) << "each name reached the tool as one argument, unchanged";

    std::vector<std::string> leftovers;
    for (const auto& entry : std::filesystem::directory_iterator(m_directory_.Path())) {
        leftovers.push_back(entry.path().filename().string());
    }
    std::sort(leftovers.begin(), leftovers.end());
    EXPECT_EQ(leftovers, (std::vector<std::string>{"arguments.log", "fixture.json"})) << "no shell ran a command";
}

TEST_F(HostileTools, QueryPrinting100MegabytesIsKeptWholeInItsRecordAndItsLogLine)
{
    const size_t hundredMegabytes = size_t{100} * 1024 * 1024;
    ScopedEnvironment tools({{"FAKE_MFT_FIXTURE", FixtureWithDevices(m_directory_, {"mt4115_pciconf0"})},
                           {"FAKE_MFT_HUGE_MB", "100"}});
    std::vector<RawData_> records;
    {
        LogCapture capture(3);
        EXPECT_EQ(m_module_.GetRawData(records, kFakeRoot), 0);
        ASSERT_EQ(records.size(), 2u);
        const std::string& content = records[1].content;
        EXPECT_GE(content.size(), hundredMegabytes);
        EXPECT_LT(content.size(), hundredMegabytes + 64 * 1024);
        EXPECT_EQ(content.rfind("Image type:", 0), 0u);
        const size_t lastLine = content.rfind('\n', content.size() - 2) + 1;
        EXPECT_EQ(content.compare(lastLine, 10, "-I- Trace "), 0) << content.substr(lastLine);
        EXPECT_EQ(content.back(), '\n');
        const std::string quoted = kFlint + " \"-d\" \"mt4115_pciconf0\" \"query\"";
        EXPECT_EQ(capture.Count(3, "SpawnProcess() " + quoted + " Returned:" + content), 1u);
        EXPECT_EQ(capture.Count(3, "SpawnProcess() " + quoted + " exit code = 0"), 1u);
    }
    records.clear();
    ::unsetenv("FAKE_MFT_HUGE_MB");
    EXPECT_EQ(m_module_.GetRawData(records, kFakeRoot), 0);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_LT(records[1].content.size(), 4096u);
}

TEST_F(HostileTools, QueryThatNeverExitsIsGivenUpAfterItsTimeAndOnlyItsRecordIsLost)
{
    // The tool ends its output at once and then runs on for an hour: the
    // module reads to the end of the output, waits its 100 seconds (a real
    // wait, not one of the module's pauses) and takes the still-running code.
    const std::string fixture = FixtureWithDevices(m_directory_, {"mt4115_pciconf0", "mt4117_pciconf0"});
    ScopedEnvironment tools({{"FAKE_MFT_FIXTURE", fixture},
                           {"FAKE_MFT_HANG_DEVICE", "mt4115_pciconf0"},
                           {"FAKE_MFT_HANG_OUTPUT", "closed"},
                           {"FAKE_MFT_HANG_SECONDS", "3600"}});
    std::vector<RawData_> records;
    {
        LogCapture capture(4);
        EXPECT_EQ(m_module_.GetRawData(records, kFakeRoot), 3);
        EXPECT_EQ(NamesOf(records),
                  (std::vector<std::string>{"Mellanox_00_all_devices_info", "Mellanox_01_device_info"}));
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[1].command, kFlint + " -d mt4117_pciconf0 query");
        const std::string quoted = kFlint + " \"-d\" \"mt4115_pciconf0\" \"query\"";
        EXPECT_EQ(capture.Count(3, "SpawnProcess() " + quoted + " exit code = 259"), 1u);
        EXPECT_EQ(capture.Count(4, "ExcuteCommand result:259"), 1u);
    }
    // The query left running is ended with the module object.
    EXPECT_EQ(m_pauses_.Total(), 0u);

    ::unsetenv("FAKE_MFT_HANG_DEVICE");
    records.clear();
    EXPECT_EQ(m_module_.GetRawData(records, kFakeRoot), 0);
    EXPECT_EQ(records.size(), 3u);
}

TEST_F(HostileTools, QueryThatKeepsItsOutputOpenIsReadUntilItCloses)
{
    // A tool that keeps its output open within its time-out holds the module
    // until it closes it (here after two seconds), and then its exit code
    // decides. (Beyond the time-out: tests/hosted_module.)
    const std::string fixture = FixtureWithDevices(m_directory_, {"mt4115_pciconf0", "mt4117_pciconf0"});
    ScopedEnvironment tools({{"FAKE_MFT_FIXTURE", fixture},
                           {"FAKE_MFT_HANG_DEVICE", "mt4115_pciconf0"},
                           {"FAKE_MFT_HANG_OUTPUT", "open"},
                           {"FAKE_MFT_HANG_SECONDS", "2"}});
    std::vector<RawData_> records;
    EXPECT_EQ(m_module_.GetRawData(records, kFakeRoot), 0);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_NE(records[1].content.find("PSID:                  MT_2190110032"), std::string::npos);
}

}  // namespace
