// Inventory failures through the exported class: a class the server refuses, a
// server that goes away, a provider module that is not running. The lists that could
// be read are still returned and the next request starts on a fresh connection.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cim_module_support/fixture_document.h"
#include "cim_module_support/simulated_cim_server.h"
#include "inventory_expectations.h"
#include "log.h"
#include "mellanox.h"

namespace {

using cim_module_support::FixtureDocument;
using cim_module_support::OutOfBandTo;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;
using Quillet::Mellanox::StructuredInfo_;

const int kCimErrFailed = 1;
const int kCimErrInvalidClass = 5;
const char* const kReconnected = "Cimserver connection succeeded ";

// The one level-1 line that begins with `prefix`, or empty text when there is not exactly one.
std::string OnlyErrorStartingWith(const LogCapture& capture, const std::string& prefix)
{
    std::string found;
    size_t count = 0;
    for (const std::string& message : capture.Messages(1)) {
        if (message.compare(0, prefix.size(), prefix) == 0) {
            found = message;
            ++count;
        }
    }
    return count == 1 ? found : std::string();
}

class InventoryFailures : public testing::Test {
protected:
    PauseCounter m_pauses_;
    FixtureDocument m_fixture_{CimSimProcess::defaultFixturePath()};
    CimSimProcess m_server_;
};

TEST_F(InventoryFailures, FailedPciDeviceClassLeavesTheOtherListsFilledAndTheNextCallWorks)
{
    Mellanox module(OutOfBandTo(m_server_));
    m_server_.failClass("MLNX_PCIDevice", kCimErrFailed, "PCI provider unavailable");
    LogCapture capture(4);

    StructuredInfo_ info;
    EXPECT_EQ(module.GetStructuredInfo(info), 1);
    EXPECT_TRUE(info.pci_devices.empty());
    inventory_test::ExpectRecordsMatchFixture(m_fixture_, {"MLNX_IBPort", "MLNX_EthernetPort"}, info.ports,
                                              inventory_test::kPortFields, true);
    inventory_test::ExpectRecordsMatchFixture(m_fixture_, {"MLNX_FirmwareIdentity", "MLNX_SoftwareIdentity"},
                                              info.software_identities, inventory_test::kInventoryIdentityFields,
                                              false);
    const std::string error =
        OnlyErrorStartingWith(capture, "Enumerate instances for MLNX_PCIDevice failed with the reason: ");
    EXPECT_NE(error.find("PCI provider unavailable"), std::string::npos) << error;
    EXPECT_EQ(capture.Count(3, kReconnected), 1u) << "the client is rebuilt once";

    m_server_.clearFaults();
    EXPECT_EQ(module.GetStructuredInfo(info), 0);
    inventory_test::ExpectStructuredInfoMatchesFixture(m_fixture_, info);
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

TEST_F(InventoryFailures, FailedInfiniBandPortClassIsReportedAsNetworkPortAndSkipsEthernetPorts)
{
    Mellanox module(OutOfBandTo(m_server_));
    m_server_.failClass("MLNX_IBPort", kCimErrInvalidClass);
    LogCapture capture(4);

    StructuredInfo_ info;
    EXPECT_EQ(module.GetStructuredInfo(info), 1);
    EXPECT_TRUE(info.ports.empty());
    EXPECT_EQ(capture.Count(4, "Calling constructor of MellanoxCimPort"), 0u) << "no Ethernet port was read";
    EXPECT_NE(OnlyErrorStartingWith(capture, "Enumerate instances for CIM_NetworkPort failed with the reason: "), "");
    EXPECT_FALSE(capture.AnyContains("for MLNX_IBPort failed"));
    EXPECT_EQ(info.pci_devices.size(), m_fixture_.InstancesOf("MLNX_PCIDevice").size());
    EXPECT_FALSE(info.software_identities.empty());
}

TEST_F(InventoryFailures, FailedSecondClassKeepsTheReadersOfTheFirst)
{
    Mellanox module(OutOfBandTo(m_server_));
    m_server_.failClass("MLNX_EthernetPort", kCimErrFailed);
    m_server_.failClass("MLNX_SoftwareIdentity", kCimErrFailed);
    LogCapture capture(1);

    StructuredInfo_ info;
    EXPECT_EQ(module.GetStructuredInfo(info), 1);
    inventory_test::ExpectRecordsMatchFixture(m_fixture_, {"MLNX_IBPort"}, info.ports, inventory_test::kPortFields,
                                              true);
    inventory_test::ExpectRecordsMatchFixture(m_fixture_, {"MLNX_FirmwareIdentity"}, info.software_identities,
                                              inventory_test::kInventoryIdentityFields, false);
    EXPECT_NE(OnlyErrorStartingWith(capture, "Enumerate instances for MLNX_EthernetPort failed with the reason: "), "");
    EXPECT_NE(OnlyErrorStartingWith(capture, "Enumerate instances for MLNX_SoftwareIdentity failed with the reason: "),
              "");

    // The identity list works on what was read: the firmware without its duplicates.
    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
    EXPECT_EQ(module.GetSoftwareIdentities(identities), 1);
    ASSERT_EQ(identities.size(), 4u);
    for (const Quillet::QLOptions::SoftwareIdentity_& identity : identities) {
        EXPECT_EQ(identity.classification_descriptions, "Firmware") << identity.element_name;
    }
}

TEST_F(InventoryFailures, FailedFirmwareClassPreventsTheSoftwareClass)
{
    Mellanox module(OutOfBandTo(m_server_));
    m_server_.failClass("MLNX_FirmwareIdentity", kCimErrFailed);
    LogCapture capture(4);

    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities(3);
    EXPECT_EQ(module.GetSoftwareIdentities(identities), 1);
    EXPECT_TRUE(identities.empty());
    EXPECT_EQ(capture.Count(4, "Calling constructor of MellanoxCimSoftwareIdentity"), 0u);
    EXPECT_NE(OnlyErrorStartingWith(capture, "Enumerate instances for MLNX_FirmwareIdentity failed with the reason: "),
              "");
}

TEST_F(InventoryFailures, OutOfBandDoesNotStartAStoppedProviderModule)
{
    m_server_.setProviderModule(false);
    Mellanox module(OutOfBandTo(m_server_));
    LogCapture capture(1);
    StructuredInfo_ info;
    EXPECT_EQ(module.GetStructuredInfo(info), 1);
    EXPECT_TRUE(info.pci_devices.empty());
    EXPECT_TRUE(info.ports.empty());
    EXPECT_TRUE(info.software_identities.empty());
    EXPECT_TRUE(capture.AnyContains("provider blocked.")) << "the server's reason reaches the log";
    const mlnx_cimsim::testing::CimSimStats stats = m_server_.stats();
    EXPECT_EQ(stats.providerModule, "stopped");
    EXPECT_EQ(stats.starts, 0u);
    EXPECT_EQ(m_pauses_.Total(), 0u) << "the server answers: reconnecting needs no pause";
}

TEST(InventoryServerGone, EveryEnumerationGivesUpAfterThreeAttemptsWithPauses)
{
    PauseCounter pauses;
    std::unique_ptr<CimSimProcess> server(new CimSimProcess());
    Mellanox module(OutOfBandTo(*server));
    server.reset();
    LogCapture capture(1);

    StructuredInfo_ info;
    info.ports.resize(2);
    EXPECT_EQ(module.GetStructuredInfo(info), 1);
    EXPECT_TRUE(info.pci_devices.empty());
    EXPECT_TRUE(info.ports.empty());
    EXPECT_TRUE(info.software_identities.empty());
    // The PCI enumeration fails on the dead connection; each of the three
    // enumerations then spends three attempts, each followed by a pause.
    EXPECT_NE(OnlyErrorStartingWith(capture, "Enumerate instances for MLNX_PCIDevice failed with the reason: "), "");
    EXPECT_EQ(pauses.Count(10000), 9u);
    EXPECT_EQ(pauses.Total(), 9u);
    EXPECT_EQ(capture.Count(1, "Enumerate instances for CIM_NetworkPort failed with the reason: "), 0u)
        << "without a client nothing is enumerated";

    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
    EXPECT_EQ(module.GetSoftwareIdentities(identities), 1);
    EXPECT_TRUE(identities.empty());
    EXPECT_EQ(pauses.Count(10000), 12u);
}

}  // namespace
