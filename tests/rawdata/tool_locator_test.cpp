// MellanoxUtil: finding the tools under a root, the command table, and one
// command run into a record, with the built fake tools.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "fake_tools_tree.h"
#include "log.h"
#include "mellanox_util.h"
#include "osspecific.h"
#include "scoped_environment.h"

namespace {

using Quillet::LogCapture;
using Quillet::Mellanox::MellanoxUtil;
using Quillet::QuilletIHV::RawData_;
using QuilletTest::FakeToolsTree;
using Entry = QuilletTest::FakeToolsTree::Entry;

const std::string kDeviceDescription = "This command shows all the information of one mellanox device.";
const std::string kListingDescription = "This command shows all devices of mellanox.";

TEST(MellanoxUtilLifetime, ConstructionAndDestructionAreTraced)
{
    LogCapture capture(4);
    { MellanoxUtil util; }
    EXPECT_EQ(capture.Messages(4), (std::vector<std::string>{"Calling constructor of MellanoxUtil",
                                                             "Calling destructor of MellanoxUtil"}));
}

TEST(LookForUtilityDir, FindsBothToolsAndJoinsTheRootAsGiven)
{
    FakeToolsTree tree(Entry::Tool, Entry::Tool);
    MellanoxUtil util;
    EXPECT_TRUE(util.GetUtilityPath().empty());
    EXPECT_TRUE(util.GetMdevicesPath().empty());
    LogCapture capture(4);

    EXPECT_EQ(util.LookForUtilityDir(tree.Root()), 0);
    EXPECT_EQ(util.GetMdevicesPath(), tree.Root() + "/utilities/mellanox/WinMFT/mdevices.exe");
    EXPECT_EQ(util.GetUtilityPath(), tree.Root() + "/utilities/mellanox/WinMFT/flint.bat");
    EXPECT_EQ(capture.Messages(), std::vector<std::string>{"MellanoxUtil::LookForUtilityDir, the m_utility_ is :" +
                                                           util.GetUtilityPath()});
}

TEST(LookForUtilityDir, RootEndingInASeparatorGivesTwoInARowAndStillFindsTheTools)
{
    FakeToolsTree tree(Entry::Tool, Entry::Tool);
    MellanoxUtil util;
    EXPECT_EQ(util.LookForUtilityDir(tree.Root() + "/"), 0);
    EXPECT_EQ(util.GetMdevicesPath(), tree.Root() + "//utilities/mellanox/WinMFT/mdevices.exe");
    EXPECT_EQ(util.GetUtilityPath(), tree.Root() + "//utilities/mellanox/WinMFT/flint.bat");
}

TEST(LookForUtilityDir, MissingListerIsReportedFirstAndAloneWhenBothAreMissing)
{
    FakeToolsTree tree(Entry::Missing, Entry::Missing);
    MellanoxUtil util;
    LogCapture capture(4);
    EXPECT_EQ(util.LookForUtilityDir(tree.Root()), 2);
    EXPECT_EQ(capture.Messages(1), std::vector<std::string>{"Can not find " + util.GetMdevicesPath()});
    EXPECT_FALSE(capture.AnyContains("the m_utility_ is"));
    // Both paths are set even though only the first was tested.
    EXPECT_EQ(util.GetUtilityPath(), tree.Root() + "/utilities/mellanox/WinMFT/flint.bat");
}

TEST(LookForUtilityDir, MissingQueryToolIsReportedAfterTheTraceNamingIt)
{
    FakeToolsTree tree(Entry::Tool, Entry::Missing);
    MellanoxUtil util;
    LogCapture capture(4);
    EXPECT_EQ(util.LookForUtilityDir(tree.Root()), 2);
    const std::string flint = tree.Root() + "/utilities/mellanox/WinMFT/flint.bat";
    EXPECT_EQ(capture.Messages(),
              (std::vector<std::string>{"MellanoxUtil::LookForUtilityDir, the m_utility_ is :" + flint,
                                        "INVALID_FILE_ATTRIBUTES", "Can not find " + flint}));
    EXPECT_EQ(capture.Count(1, "Can not find " + flint), 1u);
}

TEST(LookForUtilityDir, ToolPathNamingADirectoryCountsAsMissing)
{
    for (const auto& [mdevices, flint] :
         {std::pair{Entry::Directory, Entry::Tool}, std::pair{Entry::Tool, Entry::Directory}}) {
        FakeToolsTree tree(mdevices, flint);
        MellanoxUtil util;
        LogCapture capture(4);
        EXPECT_EQ(util.LookForUtilityDir(tree.Root()), 2);
        EXPECT_EQ(capture.Count(4, "FILE_ATTRIBUTE_DIRECTORY"), 1u);
        EXPECT_EQ(capture.Messages(1).size(), 1u);
    }
}

TEST(LookForUtilityDir, EmptyRootLooksBesideTheModulesOwnFile)
{
    // This test program is the module here; no tools lie beside it.
    const std::string moduleDirectory =
        Quillet::OsSpecific::GetModuleDirectory(Quillet::OsSpecific::GetSelfModuleHandle());
    ASSERT_FALSE(moduleDirectory.empty());
    MellanoxUtil util;
    LogCapture capture(4);
    EXPECT_EQ(util.LookForUtilityDir(""), 2);
    EXPECT_EQ(util.GetMdevicesPath(), moduleDirectory + "/utilities/mellanox/WinMFT/mdevices.exe");
    EXPECT_EQ(util.GetUtilityPath(), moduleDirectory + "/utilities/mellanox/WinMFT/flint.bat");
    EXPECT_EQ(capture.Count(1, "Can not find " + util.GetMdevicesPath()), 1u);
}

struct CommandTableCase {
    std::string commandLine;
    std::string description;
    std::string name;
};

TEST(GetCmdDesc, PicksTheRowByToolKeyThenArgumentKeyAnywhereInTheLine)
{
    const std::string untouched = "untouched";
    const std::vector<CommandTableCase> cases{
        {"C:\\tools\\flint.bat -d mt4115_pciconf0 query", kDeviceDescription, "device_info"},
        {"/opt/WinMFT/mdevices.exe status", kListingDescription, "all_devices_info"},
        // The empty argument key matches every line that names lspci.
        {"lspci", kListingDescription, "all_devices_info"},
        {"/opt/lspci-tools/x -v", kListingDescription, "all_devices_info"},
        // The flint.bat table decides; its only row wants "-d".
        {"/opt/flint.bat/mdevices.exe status", untouched, untouched},
        {"/opt/mdevices.exe/flint.bat -d dev", kDeviceDescription, "device_info"},
        // The directory path counts too: "my-dir" holds "-d".
        {"/opt/my-dir/flint.bat query", kDeviceDescription, "device_info"},
        {"/opt/flint.bat query", untouched, untouched},
        {"FLINT.BAT -d dev query", untouched, untouched},
        {"mdevices.exe show", untouched, untouched},
        {"", untouched, untouched},
    };
    MellanoxUtil util;
    for (const CommandTableCase& c : cases) {
        SCOPED_TRACE(c.commandLine);
        std::string description = untouched;
        std::string name = untouched;
        LogCapture capture(4);
        EXPECT_EQ(util.GetCmdDesc(c.commandLine, description, name), 0);
        EXPECT_EQ(description, c.description);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(capture.Messages(3), (std::vector<std::string>{"Enter MellanoxUtil::GetCmdDesc",
                                                                 "Exit MellanoxUtil::GetCmdDesc"}));
    }
}

class ExcuteCommandWithFakeTools : public testing::Test {
protected:
    QuilletTest::ScopedEnvironment m_environment_{{{"FAKE_MFT_FIXTURE", QuilletTest::kTwoAdaptersFixture}}};
    const std::string m_flint_ = QuilletTest::FlintPath(QuilletTest::kFakeRoot);
};

TEST_F(ExcuteCommandWithFakeTools, FillsTheRecordFromTheQueryAndQuotesOnlyWhatTheChildGets)
{
    MellanoxUtil util;
    RawData_ record;
    record.reserved_text_1 = "kept 1";
    record.reserved_text_2 = "kept 2";
    std::string output;
    LogCapture capture(4);

    EXPECT_EQ(util.ExcuteCommand(m_flint_, {"-d", "mt4115_pciconf0", "query"}, record, &output), 0);
    const std::string commandText = m_flint_ + " -d mt4115_pciconf0 query";
    EXPECT_EQ(record.command, commandText);
    EXPECT_EQ(record.content, output);
    EXPECT_NE(output.find("PSID:                  MT_2190110032\n"), std::string::npos) << output;
    EXPECT_EQ(record.description, kDeviceDescription);
    EXPECT_EQ(record.name, "device_info");
    EXPECT_EQ(record.reserved_text_1, "kept 1");
    EXPECT_EQ(record.reserved_text_2, "kept 2");

    const std::string quoted = m_flint_ + " \"-d\" \"mt4115_pciconf0\" \"query\"";
    EXPECT_EQ(capture.Count(3, "SpawnProcess() " + quoted + " Returned:" + output), 1u);
    const std::vector<std::string> traces = capture.Messages(4);
    ASSERT_GE(traces.size(), 2u);
    EXPECT_EQ(traces[traces.size() - 2], "ExcuteCommand:" + commandText);
    EXPECT_EQ(traces.back(), "ExcuteCommand result:0");
}

TEST_F(ExcuteCommandWithFakeTools, FailedQueryStillFillsTheRecord)
{
    QuilletTest::ScopedEnvironment failing({{"FAKE_MFT_FAIL_DEVICE", "mt4117_pciconf0"}});
    MellanoxUtil util;
    RawData_ record;
    std::string output;
    LogCapture capture(4);
    EXPECT_EQ(util.ExcuteCommand(m_flint_, {"-d", "mt4117_pciconf0", "query"}, record, &output), 1);
    EXPECT_EQ(record.content, "-E- Cannot open Device: mt4117_pciconf0. MFE_CR_ERROR\n");
    EXPECT_EQ(record.name, "device_info");
    EXPECT_EQ(capture.Count(4, "ExcuteCommand result:1"), 1u);
}

TEST_F(ExcuteCommandWithFakeTools, ToolThatCannotStartGivesMinusOneAndStillDescribesTheCommand)
{
    QuilletTest::ScopedTempDirectory nowhere;
    const std::string tool = (nowhere.Path() / "mdevices.exe").string();
    MellanoxUtil util;
    RawData_ record;
    std::string output;
    LogCapture capture(4);
    EXPECT_EQ(util.ExcuteCommand(tool, {"status"}, record, &output), -1);
    EXPECT_EQ(record.command, tool + " status");
    EXPECT_EQ(record.content, "");
    EXPECT_EQ(record.description, kListingDescription);
    EXPECT_EQ(record.name, "all_devices_info");
    EXPECT_EQ(capture.Count(1, "CreateProcess Failed"), 1u);
    EXPECT_EQ(capture.Count(4, "ExcuteCommand result:-1"), 1u);
}

TEST_F(ExcuteCommandWithFakeTools, DeviceNameWithBlanksAndShellCharactersReachesTheToolAsOneArgument)
{
    QuilletTest::ScopedTempDirectory directory;
    const std::string argumentsLog = (directory.Path() / "arguments.log").string();
    QuilletTest::ScopedEnvironment logging({{"FAKE_MFT_ARGS_LOG", argumentsLog}});
    const std::string device = "mt4115 pciconf0; rm -rf $HOME `id` \"quoted\" 'single' > out &";
    MellanoxUtil util;
    RawData_ record;
    std::string output;
    EXPECT_EQ(util.ExcuteCommand(m_flint_, {"-d", device, "query"}, record, &output), 1);
    EXPECT_EQ(record.command, m_flint_ + " -d " + device + " query");

    std::ifstream log(argumentsLog);
    std::string line;
    ASSERT_TRUE(std::getline(log, line));
    EXPECT_EQ(line, "flint.bat [-d] [" + device + "] [query]");
    EXPECT_FALSE(std::getline(log, line)) << "one run only";
}

}  // namespace
