// Raw data collection under Windows: MellanoxUtil runs the fake mdevices.exe
// and, through cmd, the fake flint.bat found below a tools root.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "log.h"
#include "mellanox_util.h"
#include "windows_test_support.h"

namespace {

using Quillet::LogCapture;
using Quillet::Mellanox::MellanoxUtil;
using Quillet::QuilletIHV::RawData_;
using QuilletWindowsTests::BuiltFile;
using QuilletWindowsTests::ScopedEnvironmentVariable;
using QuilletWindowsTests::ScratchDirectory;
using Strings = std::vector<std::string>;

const char kToolsDirectory[] = "\\utilities\\mellanox\\WinMFT\\";

// The tools tree the build lays out beside the test programs.
std::string FakeRoot()
{
    return BuiltFile("windows-fake-root");
}

Strings NamesOf(const std::vector<RawData_>& records)
{
    Strings names;
    for (const RawData_& record : records) {
        names.push_back(record.name);
    }
    return names;
}

// A tools root of its own holding copies of the chosen fake tools.
std::string PartialRoot(const ScratchDirectory& scratch, const Strings& tools)
{
    const std::filesystem::path tools_dir = scratch.MakeDirectory("utilities\\mellanox\\WinMFT");
    for (const std::string& tool : tools) {
        std::filesystem::copy_file(FakeRoot() + kToolsDirectory + tool, tools_dir / tool);
    }
    return scratch.Path();
}

TEST(WindowsRawDataTest, ListsDevicesAndQueriesEachThroughTheBatchWrapper)
{
    MellanoxUtil util;
    std::vector<RawData_> records;
    EXPECT_EQ(0, util.GetRawData(records, FakeRoot()));
    ASSERT_EQ((Strings{"Mellanox_00_all_devices_info", "Mellanox_01_device_info", "Mellanox_02_device_info"}),
              NamesOf(records));
    EXPECT_EQ(FakeRoot() + kToolsDirectory + "mdevices.exe status", records[0].command);
    EXPECT_EQ("MST devices:\r\n------------\r\n  mt4103_pciconf0\r\n  mt4117_pciconf0\r\n", records[0].content);
    // The lister's CR LF leaves a carriage return on each device name; the
    // vendor's tool ignores it.
    EXPECT_EQ(FakeRoot() + kToolsDirectory + "flint.bat -d mt4103_pciconf0\r query", records[1].command);
    EXPECT_NE(std::string::npos, records[1].content.find("PSID:                  MT_1090111023\r\n"));
    EXPECT_NE(std::string::npos, records[2].content.find("FW Version:            14.32.1010\r\n"));
    EXPECT_EQ("This command shows all the information of one mellanox device.", records[2].description);
}

TEST(WindowsRawDataTest, RootEndingInABackslashGivesADoubledSeparatorThatWindowsAccepts)
{
    MellanoxUtil util;
    std::vector<RawData_> records;
    EXPECT_EQ(0, util.GetRawData(records, FakeRoot() + "\\"));
    EXPECT_EQ(FakeRoot() + "\\\\utilities\\mellanox\\WinMFT\\flint.bat", util.GetUtilityPath());
    EXPECT_EQ(3u, records.size());
}

TEST(WindowsRawDataTest, FailedDeviceQueryGivesThreeAndLeavesItsRecordOut)
{
    ScopedEnvironmentVariable failing("FAKE_FLINT_FAIL_DEVICE", "mt4117_pciconf0");
    MellanoxUtil util;
    std::vector<RawData_> records;
    EXPECT_EQ(3, util.GetRawData(records, FakeRoot()));
    EXPECT_EQ((Strings{"Mellanox_00_all_devices_info", "Mellanox_01_device_info"}), NamesOf(records));
}

TEST(WindowsRawDataTest, NoDevicesGivesNoRecords)
{
    ScopedEnvironmentVariable none("FAKE_MDEVICES_NONE", "1");
    MellanoxUtil util;
    std::vector<RawData_> records;
    EXPECT_EQ(0, util.GetRawData(records, FakeRoot()));
    EXPECT_TRUE(records.empty());
}

TEST(WindowsRawDataTest, MissingOrDirectoryFlintGivesTwoNamingItsPath)
{
    ScratchDirectory scratch;
    const std::string root = PartialRoot(scratch, {"mdevices.exe"});
    const std::string flint = root + kToolsDirectory + "flint.bat";
    MellanoxUtil util;
    std::vector<RawData_> records;
    {
        LogCapture log;
        EXPECT_EQ(2, util.GetRawData(records, root));
        EXPECT_EQ(1u, log.Count(4, "MellanoxUtil::LookForUtilityDir, the m_utility_ is :" + flint));
        EXPECT_EQ(1u, log.Count(1, "Can not find " + flint));
        EXPECT_EQ(1u, log.Count(4, "INVALID_FILE_ATTRIBUTES"));
    }
    scratch.MakeDirectory("utilities\\mellanox\\WinMFT\\flint.bat");
    LogCapture log;
    EXPECT_EQ(2, util.GetRawData(records, root));
    EXPECT_EQ(1u, log.Count(4, "FILE_ATTRIBUTE_DIRECTORY"));
    EXPECT_TRUE(records.empty());
}

TEST(WindowsRawDataTest, MissingMdevicesIsReportedFirst)
{
    ScratchDirectory scratch;
    const std::string root = PartialRoot(scratch, {});
    MellanoxUtil util;
    std::vector<RawData_> records;
    LogCapture log;
    EXPECT_EQ(2, util.GetRawData(records, root));
    EXPECT_EQ((Strings{"Can not find " + root + kToolsDirectory + "mdevices.exe"}), log.Messages(1));
}

}  // namespace
