#include <gtest/gtest.h>

#include <cstdlib>

#include "log.h"
#include "mellanox.h"
#include "osspecific.h"

namespace {

using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;

// An out-of-band description that connects nowhere: the empty host is
// refused before any attempt, so no pause is taken.
Quillet::QuilletConnection::ConnectionInfo Unreachable()
{
    Quillet::QuilletConnection::ConnectionInfo info;
    info.port = 5988;
    return info;
}

class OutOfBandFacade : public testing::Test {
protected:
    Quillet::OsSpecific::ScopedSleepObserver m_no_waiting_{[](unsigned int) {}};
};

TEST_F(OutOfBandFacade, RefusesInBandOnlyOperationsAndLeavesArgumentsAlone)
{
    Mellanox module(Unreachable());
    LogCapture capture(4);

    std::vector<std::string> names{"kept"};
    EXPECT_EQ(module.GetDiagItems(names), 4);
    EXPECT_EQ(names, std::vector<std::string>{"kept"});

    Quillet::QuilletIHV::DiagnosticRecord_ record;
    record.result = 77;
    record.detail_3 = "kept";
    EXPECT_EQ(module.RunDiagnostic("svc|dev", record), 4);
    EXPECT_EQ(record.result, 77);
    EXPECT_EQ(record.detail_3, "kept");

    std::vector<Quillet::QuilletIHV::RawData_> raw(1);
    raw[0].name = "kept";
    EXPECT_EQ(module.GetRawData(raw, "/nowhere"), 4);
    ASSERT_EQ(raw.size(), 1u);
    EXPECT_EQ(raw[0].name, "kept");

    EXPECT_EQ(capture.Count(1, "Doesn't support in out-of-band mode"), 3u);
    EXPECT_EQ(capture.Count(4, "Calling MellanoxImpl::GetDiagnosticItems()"), 1u);
    EXPECT_EQ(capture.Count(4, "Calling MellanoxImpl::RunDiagnostic() with svc|dev"), 1u);
    EXPECT_EQ(capture.Count(4, "Calling MellanoxImpl::GetRawData()"), 1u);
    EXPECT_FALSE(capture.AnyContains("Can not find"));
}

TEST_F(OutOfBandFacade, ConstructionAndDestructionTraceEachObject)
{
    LogCapture capture(4);
    { Mellanox module(Unreachable()); }
    const std::vector<std::string> traces = capture.Messages(4);
    const std::vector<std::string> expected = {
        "Calling out-of-band constructor of Mellanox", "Calling out-of-band constructor of MellanoxImpl",
        "Calling out-of-band constructor of MellanoxCim", "Calling destructor of Mellanox",
        "Calling destructor of MellanoxImpl", "Calling destructor of MellanoxCim"};
    size_t next = 0;
    for (const std::string& line : traces) {
        if (next < expected.size() && line == expected[next]) {
            ++next;
        }
    }
    EXPECT_EQ(next, expected.size()) << "traces out of order or missing";
    EXPECT_FALSE(capture.AnyContains("MellanoxUtil")) << "no tools runner out-of-band";
    EXPECT_EQ(capture.Count(1, "Failed to connect remote cimserver due to invalid connection information. "), 1u);
}

TEST_F(OutOfBandFacade, InventoryFailsWithStatusOneWhenTheServerIsUnreachable)
{
    Mellanox module(Unreachable());
    LogCapture capture(4);
    Quillet::Mellanox::StructuredInfo_ info;
    info.ports.resize(2);
    EXPECT_EQ(module.GetStructuredInfo(info), 1);
    EXPECT_TRUE(info.pci_devices.empty() && info.ports.empty() && info.software_identities.empty());

    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities(3);
    EXPECT_EQ(module.GetSoftwareIdentities(identities), 1);
    EXPECT_TRUE(identities.empty());
    EXPECT_EQ(capture.Count(4, "Mellanox::GetSoftwareIdentities - vector<SoftwareIdentity>& softwareIdentity_vec:"),
              1u);
    EXPECT_FALSE(capture.AnyContains("SoftwareIdentity.description = "));
}

}  // namespace
