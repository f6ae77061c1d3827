// MellanoxUtil::GetDevices: the fake lister prints a prepared output and the
// parse turns it into device names and, on success, one record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_tools_tree.h"
#include "log.h"
#include "mellanox_util.h"
#include "scoped_environment.h"

namespace {

using Quillet::LogCapture;
using Quillet::Mellanox::MellanoxUtil;
using Quillet::QuilletIHV::RawData_;
using Strings = std::vector<std::string>;

// Runs GetDevices against the build's tools tree with the lister printing
// `output` and exiting with `exitCode`.
class GetDevicesFromListerOutput : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_util_.LookForUtilityDir(QuilletTest::kFakeRoot), 0); }

    Strings Devices(const std::string& output, int exitCode = 0)
    {
        const std::string file = m_directory_.WriteFile("status.txt", output).string();
        QuilletTest::ScopedEnvironment environment(
            {{"FAKE_MFT_STATUS_OUTPUT", file}, {"FAKE_MFT_STATUS_EXIT", std::to_string(exitCode)}});
        m_records_.clear();
        Strings devices{"stale"};
        m_util_.GetDevices(m_records_, devices);
        return devices;
    }

    QuilletTest::ScopedTempDirectory m_directory_;
    MellanoxUtil m_util_;
    std::vector<RawData_> m_records_;
};

TEST_F(GetDevicesFromListerOutput, NamesAfterTheSeparatorInOrderWithOneRecord)
{
    const std::string output = "MST devices:\n------------\n  mt4115_pciconf0\n  mt4117_pciconf0\n";
    EXPECT_EQ(Devices(output), (Strings{"mt4115_pciconf0", "mt4117_pciconf0"}));
    ASSERT_EQ(m_records_.size(), 1u);
    EXPECT_EQ(m_records_[0].command, m_util_.GetMdevicesPath() + " status");
    EXPECT_EQ(m_records_[0].content, output);
    EXPECT_EQ(m_records_[0].description, "This command shows all devices of mellanox.");
    EXPECT_EQ(m_records_[0].name, "all_devices_info");
    EXPECT_EQ(m_records_[0].reserved_text_1, "");
    EXPECT_EQ(m_records_[0].reserved_text_2, "");
}

TEST_F(GetDevicesFromListerOutput, TracesEachStepOfTheWalk)
{
    const std::string output = "MST devices:\n------------\n  mt4115_pciconf0\n  mt4117 pciconf0\n";
    LogCapture capture(4);
    Devices(output);
    const std::string prefix = "MellanoxUtil::GetDevices, the ";
    EXPECT_EQ(capture.Messages(4), (Strings{
                        "Entering MellanoxUtil::GetDevices",
                        "ExcuteCommand:" + m_util_.GetMdevicesPath() + " status",
                        "ExcuteCommand result:0",
                        prefix + "line1 is :MST devices:",
                        prefix + "line1 is :------------",
                        // The line after the separator is not traced as a line1.
                        prefix + "line2 is :  mt4115_pciconf0",
                        prefix + "line2's length is :17",
                        prefix + "line3 is :mt4115_pciconf0",
                        prefix + "line1 is :  mt4117 pciconf0",
                        prefix + "line2 is :  mt4117 pciconf0",
                        prefix + "line2's length is :17",
                        prefix + "line3 is :mt4117pciconf0",
                        "Exiting MellanoxUtil::GetDevices",
                    }));
}

TEST_F(GetDevicesFromListerOutput, SpacesGoButCarriageReturnsAndTabsStay)
{
    EXPECT_EQ(Devices("MST devices:\r\n------------\r\n  mt4115_pciconf0\r\n  mt4117_pciconf0\r\n"),
              (Strings{"mt4115_pciconf0\r", "mt4117_pciconf0\r"}));
    EXPECT_EQ(Devices("------------\n   mt 4115 _pci conf0   \n\tmt4117_pciconf0\n"),
              (Strings{"mt4115_pciconf0", "\tmt4117_pciconf0"}));
}

TEST_F(GetDevicesFromListerOutput, PassesOverShortLinesAndLinesHoldingNo)
{
    const std::string output = "------------\n"
                               "\n"
                               "   x   \n"
                               "  No MST devices were found\n"
                               "  mt4115_Node0\n"
                               "  no_capital_letters\n"
                               "  NO_is_kept\n"
                               "  ab\n";
    EXPECT_EQ(Devices(output), (Strings{"no_capital_letters", "NO_is_kept", "ab"}));
}

TEST_F(GetDevicesFromListerOutput, LastLineWithoutLineFeedIsStillALine)
{
    EXPECT_EQ(Devices("------------\n  mt4115_pciconf0\n  mt4117_pciconf0"),
              (Strings{"mt4115_pciconf0", "mt4117_pciconf0"}));
}

TEST_F(GetDevicesFromListerOutput, NothingWithoutALineAfterTheSeparator)
{
    for (const std::string& output : {std::string("MST devices:\n  mt4115_pciconf0\n------------\n"),
                                      std::string("MST devices:\n  mt4115_pciconf0\n------------"),
                                      std::string("MST devices:\n  mt4115_pciconf0\n"), std::string()}) {
        SCOPED_TRACE(output);
        EXPECT_EQ(Devices(output), Strings{});
        EXPECT_TRUE(m_records_.empty());
    }
}

TEST_F(GetDevicesFromListerOutput, OnlyTheFirstSeparatorCountsAndItMayBeInsideALongerLine)
{
    EXPECT_EQ(Devices("MST devices: ------------ (Windows)\n  mt4115_pciconf0\n------------\n  mt4117_pciconf0\n"),
              (Strings{"mt4115_pciconf0", "------------", "mt4117_pciconf0"}));
}

TEST_F(GetDevicesFromListerOutput, FailedListingStillListsButKeepsNoRecord)
{
    EXPECT_EQ(Devices("MST devices:\n------------\n  mt4115_pciconf0\n", 1), Strings{"mt4115_pciconf0"});
    EXPECT_TRUE(m_records_.empty());
}

TEST(GetDevices, AppendsToTheCallersRecordsAndReplacesTheDeviceList)
{
    QuilletTest::ScopedEnvironment environment({{"FAKE_MFT_FIXTURE", QuilletTest::kTwoAdaptersFixture}});
    MellanoxUtil util;
    ASSERT_EQ(util.LookForUtilityDir(QuilletTest::kFakeRoot), 0);
    std::vector<RawData_> records(1);
    records[0].name = "earlier";
    Strings devices{"stale", "entries"};
    util.GetDevices(records, devices);
    EXPECT_EQ(devices, (Strings{"mt4115_pciconf0", "mt4117_pciconf0"}));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "earlier");
    EXPECT_EQ(records[1].name, "all_devices_info");
}

TEST(GetDevices, ListerThatFindsNothingGivesNoDeviceAndNoRecord)
{
    QuilletTest::ScopedEnvironment environment({{"FAKE_MFT_NO_DEVICES", "1"}});
    MellanoxUtil util;
    ASSERT_EQ(util.LookForUtilityDir(QuilletTest::kFakeRoot), 0);
    std::vector<RawData_> records;
    Strings devices{"stale"};
    util.GetDevices(records, devices);
    EXPECT_TRUE(devices.empty());
    EXPECT_TRUE(records.empty());
}

}  // namespace
