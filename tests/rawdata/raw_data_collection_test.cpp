// MellanoxUtil::GetRawData with the built fake tools: the numbered records,
// per-device failures, missing tools and the caller's own records.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

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
using QuilletTest::FakeToolsTree;
using QuilletTest::ScopedEnvironment;
using Entry = QuilletTest::FakeToolsTree::Entry;
using Strings = std::vector<std::string>;

const std::string kFlint = QuilletTest::FlintPath(QuilletTest::kFakeRoot);

Strings NamesOf(const std::vector<RawData_>& records)
{
    Strings names;
    for (const RawData_& record : records) {
        names.push_back(record.name);
    }
    return names;
}

std::vector<RawData_> RecordsNamed(const Strings& names)
{
    std::vector<RawData_> records(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        records[i].name = names[i];
        records[i].content = "content of " + names[i];
    }
    return records;
}

// A fixture file with `count` ConnectX-5 adapters, mt4119_pciconf0, 1, ...
std::string WriteFixtureWithAdapters(const QuilletTest::ScopedTempDirectory& directory, int count)
{
    nlohmann::json adapters = nlohmann::json::array();
    for (int i = 0; i < count; ++i) {
        adapters.push_back({{"mst_device", "mt4119_pciconf" + std::to_string(i)},
                            {"psid", "MT_00000000" + std::to_string(10 + i)},
                            {"image_type", "FS4"},
                            {"fw_version", "16.35.2000"},
                            {"fw_release_date", "9.11.2022"},
                            {"product_version", "16.35.2000"},
                            {"base_mac", "b8cef6" + std::to_string(100000 + i)}});
    }
    return directory.WriteFile("fixture.json", nlohmann::json{{"adapters", adapters}}.dump(2)).string();
}

class GetRawDataWithFakeTools : public testing::Test {
protected:
    ScopedEnvironment m_environment_{{{"FAKE_MFT_FIXTURE", QuilletTest::kTwoAdaptersFixture}}};
    MellanoxUtil m_util_;
    std::vector<RawData_> m_records_;
};

TEST_F(GetRawDataWithFakeTools, ListingThenOneRecordPerDeviceNumberedInOrder)
{
    LogCapture capture(4);
    EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 0);
    ASSERT_EQ(NamesOf(m_records_),
              (Strings{"Mellanox_00_all_devices_info", "Mellanox_01_device_info", "Mellanox_02_device_info"}));

    EXPECT_EQ(m_records_[0].command, QuilletTest::MdevicesPath(QuilletTest::kFakeRoot) + " status");
    EXPECT_EQ(m_records_[0].content, "MST devices:\n------------\n  mt4115_pciconf0\n  mt4117_pciconf0\n");

    const RawData_& first = m_records_[1];
    EXPECT_EQ(first.command, kFlint + " -d mt4115_pciconf0 query");
    EXPECT_EQ(first.description, "This command shows all the information of one mellanox device.");
    EXPECT_EQ(first.content.rfind("Image type:            FS3\nFW Version:            12.28.2006\n", 0), 0u)
        << first.content;
    EXPECT_NE(first.content.find("\nBase GUID:             248a0703005d8e4c        8\n"), std::string::npos);
    EXPECT_NE(first.content.find("\nPSID:                  MT_2190110032\n"), std::string::npos);
    EXPECT_EQ(first.reserved_text_1, "");
    EXPECT_EQ(first.reserved_text_2, "");
    EXPECT_EQ(m_records_[2].command, kFlint + " -d mt4117_pciconf0 query");
    EXPECT_NE(m_records_[2].content.find("\nPSID:                  MT_2420110034\n"), std::string::npos);

    EXPECT_EQ(capture.Count(4, "Entering MellanoxUtil::GetRawData"), 1u);
    EXPECT_EQ(capture.Count(4, "==========devices.size()==========2"), 1u);
    EXPECT_EQ(capture.Count(4, "==========devices[i]==========mt4115_pciconf0"), 1u);
    EXPECT_EQ(capture.Count(4, "==========devices[i]==========mt4117_pciconf0"), 1u);
    EXPECT_TRUE(capture.Messages(1).empty());
}

TEST_F(GetRawDataWithFakeTools, FailedQueryIsDroppedTheOthersStillRunAndTheStatusIsThree)
{
    {
        ScopedEnvironment failing({{"FAKE_MFT_FAIL_DEVICE", "mt4117_pciconf0"}});
        EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 3);
    }
    EXPECT_EQ(NamesOf(m_records_), (Strings{"Mellanox_00_all_devices_info", "Mellanox_01_device_info"}));
    EXPECT_EQ(m_records_[1].command, kFlint + " -d mt4115_pciconf0 query");

    m_records_.clear();
    {
        ScopedEnvironment failing({{"FAKE_MFT_FAIL_DEVICE", "mt4115_pciconf0"}});
        EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 3);
    }
    EXPECT_EQ(NamesOf(m_records_), (Strings{"Mellanox_00_all_devices_info", "Mellanox_01_device_info"}));
    EXPECT_EQ(m_records_[1].command, kFlint + " -d mt4117_pciconf0 query");
}

TEST_F(GetRawDataWithFakeTools, MissingToolGivesTwoAndLeavesTheListAlone)
{
    for (const auto& [mdevices, flint] :
         {std::pair{Entry::Missing, Entry::Tool}, std::pair{Entry::Tool, Entry::Missing},
          std::pair{Entry::Missing, Entry::Missing}}) {
        FakeToolsTree tree(mdevices, flint);
        std::vector<RawData_> records = RecordsNamed({"first", "second"});
        LogCapture capture(4);
        EXPECT_EQ(m_util_.GetRawData(records, tree.Root()), 2);
        EXPECT_EQ(NamesOf(records), (Strings{"first", "second"}));
        EXPECT_EQ(capture.Messages(1).size(), 1u);
        EXPECT_FALSE(capture.AnyContains("SpawnProcess()")) << "nothing may run";
    }
}

TEST_F(GetRawDataWithFakeTools, RecordsAlreadyInTheListAreNumberedWithTheNewOnes)
{
    m_records_ = RecordsNamed({"earlier_a", "earlier_b"});
    EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 0);
    EXPECT_EQ(NamesOf(m_records_), (Strings{"Mellanox_00_earlier_a", "Mellanox_01_earlier_b",
                                            "Mellanox_02_all_devices_info", "Mellanox_03_device_info",
                                            "Mellanox_04_device_info"}));
    EXPECT_EQ(m_records_[0].content, "content of earlier_a");
}

TEST_F(GetRawDataWithFakeTools, NoDeviceListedGivesZeroAndStillNumbersTheCallersRecords)
{
    ScopedEnvironment nothing({{"FAKE_MFT_NO_DEVICES", "1"}});
    m_records_ = RecordsNamed({"earlier"});
    EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 0);
    EXPECT_EQ(NamesOf(m_records_), Strings{"Mellanox_00_earlier"});

    m_records_.clear();
    EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 0);
    EXPECT_TRUE(m_records_.empty());
}

TEST_F(GetRawDataWithFakeTools, FailedListingIsDroppedButItsDevicesAreStillQueried)
{
    ScopedEnvironment failing({{"FAKE_MFT_STATUS_EXIT", "1"}});
    EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 0);
    EXPECT_EQ(NamesOf(m_records_), (Strings{"Mellanox_00_device_info", "Mellanox_01_device_info"}));
}

TEST_F(GetRawDataWithFakeTools, IndexGrowsPastTwoDigits)
{
    QuilletTest::ScopedTempDirectory directory;
    ScopedEnvironment tenAdapters({{"FAKE_MFT_FIXTURE", WriteFixtureWithAdapters(directory, 10)}});
    EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 0);
    ASSERT_EQ(m_records_.size(), 11u);
    EXPECT_EQ(m_records_[9].name, "Mellanox_09_device_info");
    EXPECT_EQ(m_records_[10].name, "Mellanox_10_device_info");
    EXPECT_EQ(m_records_[10].command, kFlint + " -d mt4119_pciconf9 query");

    m_records_ = std::vector<RawData_>(90);
    EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 0);
    ASSERT_EQ(m_records_.size(), 101u);
    EXPECT_EQ(m_records_[0].name, "Mellanox_00_");
    EXPECT_EQ(m_records_[90].name, "Mellanox_90_all_devices_info");
    EXPECT_EQ(m_records_[99].name, "Mellanox_99_device_info");
    EXPECT_EQ(m_records_[100].name, "Mellanox_100_device_info") << "the 101st record carries 100";
}

TEST_F(GetRawDataWithFakeTools, CarriageReturnsReachTheCommandsAndTheToolCopesWithThem)
{
    ScopedEnvironment crlf({{"FAKE_MFT_CRLF", "1"}});
    EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 0);
    ASSERT_EQ(m_records_.size(), 3u);
    EXPECT_EQ(m_records_[1].command, kFlint + " -d mt4115_pciconf0\r query");
    EXPECT_NE(m_records_[1].content.find("PSID:                  MT_2190110032\r\n"), std::string::npos);
}

TEST_F(GetRawDataWithFakeTools, LargeQueryOutputIsKeptWhole)
{
    ScopedEnvironment huge({{"FAKE_MFT_HUGE_MB", "8"}});
    EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 0);
    ASSERT_EQ(m_records_.size(), 3u);
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_GE(m_records_[i].content.size(), 8u * 1024 * 1024);
        EXPECT_EQ(m_records_[i].content.rfind("Image type:", 0), 0u);
        EXPECT_EQ(m_records_[i].content.back(), '\n');
    }
}

TEST_F(GetRawDataWithFakeTools, QueryThatLingersAfterClosingItsOutputIsWaitedFor)
{
    // The tool ends its output at once and exits a moment later: well within
    // the time-out, so its exit code (0) decides.
    ScopedEnvironment lingering({{"FAKE_MFT_HANG_DEVICE", "mt4115_pciconf0"}, {"FAKE_MFT_HANG_SECONDS", "1"}});
    EXPECT_EQ(m_util_.GetRawData(m_records_, QuilletTest::kFakeRoot), 0);
    ASSERT_EQ(m_records_.size(), 3u);
    EXPECT_NE(m_records_[1].content.find("PSID:                  MT_2190110032\n"), std::string::npos);
}

}  // namespace
