// GetStructuredInfo through the exported class against the simulator's default
// fixture: every record field by field, in each way the framework reaches a server.

#include <gtest/gtest.h>

#include <map>

#include "cim_module_support/fixture_document.h"
#include "cim_module_support/simulated_cim_server.h"
#include "inventory_expectations.h"
#include "log.h"
#include "mellanox.h"

namespace {

using cim_module_support::FixtureDocument;
using cim_module_support::LocalCimServer;
using cim_module_support::OutOfBandTo;
using cim_module_support::PasswordFile;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::Mellanox::Mellanox;
using Quillet::Mellanox::StructuredInfo_;

// Old contents that a call must discard.
StructuredInfo_ StaleInfo()
{
    StructuredInfo_ info;
    info.pci_devices.resize(2);
    info.ports.resize(3);
    info.software_identities.resize(1);
    return info;
}

const Quillet::QLOptions::SoftwareIdentity_* FindByElementName(const StructuredInfo_& info, const std::string& name)
{
    for (const Quillet::QLOptions::SoftwareIdentity_& identity : info.software_identities) {
        if (identity.element_name == name) {
            return &identity;
        }
    }
    return nullptr;
}

class StructuredInventory : public testing::Test {
protected:
    PauseCounter m_pauses_;
    FixtureDocument m_fixture_{CimSimProcess::defaultFixturePath()};
};

TEST_F(StructuredInventory, OutOfBandOverHttpReturnsTheWholeFixtureAndLeavesTheProviderModuleAlone)
{
    CimSimProcess server;
    StructuredInfo_ info = StaleInfo();
    {
        Mellanox module(OutOfBandTo(server));
        ASSERT_EQ(module.GetStructuredInfo(info), 0);
    }
    ASSERT_FALSE(info.pci_devices.empty()) << "the default fixture has adapters";
    inventory_test::ExpectStructuredInfoMatchesFixture(m_fixture_, info);

    const mlnx_cimsim::testing::CimSimStats stats = server.stats();
    EXPECT_EQ(stats.starts, 0u);
    EXPECT_EQ(stats.stops, 0u);
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

TEST_F(StructuredInventory, OutOfBandOverHttpsWithCredentials)
{
    PasswordFile password("s3cret pass");
    CimSimProcess server({"--https", "--user", "inventory", "--password-file", password.Path()});
    ASSERT_TRUE(server.https());

    Mellanox module(OutOfBandTo(server, "inventory", "s3cret pass"));
    StructuredInfo_ info = StaleInfo();
    ASSERT_EQ(module.GetStructuredInfo(info), 0);
    inventory_test::ExpectStructuredInfoMatchesFixture(m_fixture_, info);
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

TEST_F(StructuredInventory, OutOfBandWithAWrongPasswordReturnsNothing)
{
    PasswordFile password("right");
    CimSimProcess server({"--https", "--user", "inventory", "--password-file", password.Path()});
    Quillet::LogCapture capture(1);

    Mellanox module(OutOfBandTo(server, "inventory", "wrong"));
    StructuredInfo_ info = StaleInfo();
    EXPECT_EQ(module.GetStructuredInfo(info), 1);
    EXPECT_TRUE(info.pci_devices.empty());
    EXPECT_TRUE(info.ports.empty());
    EXPECT_TRUE(info.software_identities.empty());
    EXPECT_FALSE(capture.Messages(1).empty()) << "the refusal is logged";
}

TEST_F(StructuredInventory, InBandStartsTheProviderModuleForTheObjectsLifetime)
{
    CimSimProcess server({"--provider-stopped"});
    LocalCimServer local(server);
    ASSERT_EQ(server.stats().providerModule, "stopped");

    StructuredInfo_ info = StaleInfo();
    {
        Mellanox module;
        mlnx_cimsim::testing::CimSimStats stats = server.stats();
        EXPECT_EQ(stats.providerModule, "started");
        EXPECT_EQ(stats.starts, 1u);
        EXPECT_EQ(stats.stops, 0u);
        // The vendor's classes answer only while the module is started.
        ASSERT_EQ(module.GetStructuredInfo(info), 0);
    }
    inventory_test::ExpectStructuredInfoMatchesFixture(m_fixture_, info);

    const mlnx_cimsim::testing::CimSimStats stats = server.stats();
    EXPECT_EQ(stats.providerModule, "stopped");
    EXPECT_EQ(stats.starts, 1u);
    EXPECT_EQ(stats.stops, 1u);
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

TEST_F(StructuredInventory, UnclassifiedIdentitiesAreClassifiedFromTheirDescription)
{
    CimSimProcess server;
    Mellanox module(OutOfBandTo(server));
    StructuredInfo_ info;
    ASSERT_EQ(module.GetStructuredInfo(info), 0);

    struct Expected {
        const char* elementName;
        const char* classifications;
        const char* descriptions;
        const char* productName;
    };
    const Expected expectations[] = {
        // "Firmware" in the description: the product name is what follows the last "-".
        {"ConnectX-4 UEFI-14.21.17", "10", "Firmware", "14.21.17"},
        {"ipoib6x.sys", "2", "Driver", "ipoib6x.sys"},
        // The tools rule comes before the firmware rule: the name keeps its dashes.
        {"mft-4.22.1", "3", "Configuration Software", "mft-4.22.1"},
        // The structured inventory keeps what the identity list would drop.
        {"tool.exe", "0", "Unknown", "tool.exe"},
    };
    for (const Expected& expected : expectations) {
        const Quillet::QLOptions::SoftwareIdentity_* identity = FindByElementName(info, expected.elementName);
        ASSERT_NE(identity, nullptr) << expected.elementName;
        EXPECT_EQ(identity->classifications, expected.classifications) << expected.elementName;
        EXPECT_EQ(identity->classification_descriptions, expected.descriptions) << expected.elementName;
        EXPECT_EQ(identity->product_name, expected.productName) << expected.elementName;
    }
    // Duplicates stay: both functions of each adapter report their firmware.
    std::map<std::string, int> firmwareCount;
    for (const Quillet::QLOptions::SoftwareIdentity_& identity : info.software_identities) {
        ++firmwareCount[identity.element_name];
    }
    EXPECT_EQ(firmwareCount["ConnectX-4 FW MT_2190110032"], 2);
}

}  // namespace
