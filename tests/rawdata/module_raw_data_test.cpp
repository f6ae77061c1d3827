// Raw data through the exported class: in-band it runs the fake tools,
// out-of-band it refuses. No CIM server listens: the in-band object's
// connection attempts fail at once and their pauses are only counted.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cimsim/unused_port.h"
#include "fake_tools_tree.h"
#include "log.h"
#include "mellanox.h"
#include "osspecific.h"
#include "scoped_environment.h"

namespace {

using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;
using Quillet::QuilletIHV::RawData_;
using QuilletTest::ScopedEnvironment;
using mlnx_cimsim::testing::unusedLoopbackPort;
using Strings = std::vector<std::string>;

Strings NamesOf(const std::vector<RawData_>& records)
{
    Strings names;
    for (const RawData_& record : records) {
        names.push_back(record.name);
    }
    return names;
}

class ModuleWithoutCimServer : public testing::Test {
protected:
    const uint16_t m_port_ = unusedLoopbackPort();
    ScopedEnvironment m_environment_{
        {{"QUILLET_CIMSERVER_LOCAL", "http://127.0.0.1:" + std::to_string(m_port_)},
         {"FAKE_MFT_FIXTURE", QuilletTest::kTwoAdaptersFixture}}};
    Quillet::OsSpecific::ScopedSleepObserver m_no_waiting_{[](unsigned int) {}};
};

TEST_F(ModuleWithoutCimServer, InBandCollectsTheNumberedRecordsWithTheVendorTools)
{
    ASSERT_NE(m_port_, 0);
    Mellanox module;
    std::vector<RawData_> records;
    LogCapture capture(4);
    EXPECT_EQ(module.GetRawData(records, QuilletTest::kFakeRoot), 0);
    EXPECT_EQ(NamesOf(records),
              (Strings{"Mellanox_00_all_devices_info", "Mellanox_01_device_info", "Mellanox_02_device_info"}));
    EXPECT_NE(records[2].content.find("PSID:                  MT_2420110034"), std::string::npos);
    EXPECT_EQ(capture.Count(4, "Calling MellanoxImpl::GetRawData()"), 1u);
    EXPECT_EQ(capture.Count(4, "Entering MellanoxUtil::GetRawData"), 1u);
}

TEST_F(ModuleWithoutCimServer, InBandReportsAFailedQueryAndAMissingTool)
{
    Mellanox module;
    std::vector<RawData_> records;
    {
        ScopedEnvironment failing({{"FAKE_MFT_FAIL_DEVICE", "mt4115_pciconf0"}});
        EXPECT_EQ(module.GetRawData(records, QuilletTest::kFakeRoot), 3);
    }
    EXPECT_EQ(NamesOf(records), (Strings{"Mellanox_00_all_devices_info", "Mellanox_01_device_info"}));

    QuilletTest::FakeToolsTree withoutFlint(QuilletTest::FakeToolsTree::Entry::Tool,
                                            QuilletTest::FakeToolsTree::Entry::Missing);
    LogCapture capture(4);
    EXPECT_EQ(module.GetRawData(records, withoutFlint.Root()), 2);
    EXPECT_EQ(NamesOf(records), (Strings{"Mellanox_00_all_devices_info", "Mellanox_01_device_info"}));
    EXPECT_EQ(capture.Count(1, "Can not find " + QuilletTest::FlintPath(withoutFlint.Root())), 1u);
}

TEST_F(ModuleWithoutCimServer, OutOfBandRefusesAndLeavesTheListAlone)
{
    Quillet::QuilletConnection::ConnectionInfo info;
    info.host = "127.0.0.1";
    info.port = m_port_;
    LogCapture capture(4);
    Mellanox module(info);
    std::vector<RawData_> records(1);
    records[0].name = "kept";
    EXPECT_EQ(module.GetRawData(records, QuilletTest::kFakeRoot), 4);
    EXPECT_EQ(NamesOf(records), Strings{"kept"});
    EXPECT_EQ(capture.Count(1, "Doesn't support in out-of-band mode"), 1u);
    EXPECT_EQ(capture.Count(4, "Calling constructor of MellanoxUtil"), 0u);
    EXPECT_FALSE(capture.AnyContains("SpawnProcess()"));
    EXPECT_FALSE(capture.AnyContains("Can not find"));
}

}  // namespace
