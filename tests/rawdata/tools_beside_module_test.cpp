// With an empty root the tools are looked for beside the module's own file.
// Here the module is linked into this program, whose directory the build
// gives a tools tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_tools_tree.h"
#include "mellanox_util.h"
#include "osspecific.h"
#include "scoped_environment.h"

namespace {

TEST(ToolsBesideTheModule, EmptyRootFindsThemThroughADoubledSeparatorAndRunsTheCommands)
{
    QuilletTest::ScopedEnvironment environment({{"FAKE_MFT_FIXTURE", QuilletTest::kTwoAdaptersFixture}});
    const std::string moduleDirectory =
        Quillet::OsSpecific::GetModuleDirectory(Quillet::OsSpecific::GetSelfModuleHandle());
    ASSERT_EQ(std::filesystem::canonical(moduleDirectory), std::filesystem::canonical(RAWDATA_MODULE_DIRECTORY));
    ASSERT_EQ(moduleDirectory.back(), '/');

    Quillet::Mellanox::MellanoxUtil util;
    std::vector<Quillet::QuilletIHV::RawData_> records;
    EXPECT_EQ(util.GetRawData(records, ""), 0);
    EXPECT_EQ(util.GetMdevicesPath(), moduleDirectory + "/utilities/mellanox/WinMFT/mdevices.exe");
    EXPECT_EQ(util.GetUtilityPath(), moduleDirectory + "/utilities/mellanox/WinMFT/flint.bat");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].name, "Mellanox_00_all_devices_info");
    EXPECT_EQ(records[2].command, util.GetUtilityPath() + " -d mt4117_pciconf0 query");
}

}  // namespace
