// GetSoftwareIdentities through the exported class: board text, classification,
// filter and duplicate removal, on the default fixture and on fixtures built for the
// cases that need particular identity data.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cim_module_support/simulated_cim_server.h"
#include "log.h"
#include "mellanox.h"

namespace {

using cim_module_support::LocalCimServer;
using cim_module_support::OutOfBandTo;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::Mellanox::Mellanox;
using Quillet::QLOptions::SoftwareIdentity_;

// The fields the identity list decides on.
struct ExpectedIdentity {
    std::string element_name;
    std::string version_string;
    std::string classifications;
    std::string classification_descriptions;
    std::string product_name;
    std::string software_ID;
};

void ExpectIdentities(const std::vector<SoftwareIdentity_>& actual, const std::vector<ExpectedIdentity>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("identity " + std::to_string(i) + " (" + expected[i].element_name + ")");
        EXPECT_EQ(actual[i].element_name, expected[i].element_name);
        EXPECT_EQ(actual[i].version_string, expected[i].version_string);
        EXPECT_EQ(actual[i].classifications, expected[i].classifications);
        EXPECT_EQ(actual[i].classification_descriptions, expected[i].classification_descriptions);
        EXPECT_EQ(actual[i].product_name, expected[i].product_name);
        EXPECT_EQ(actual[i].software_ID, expected[i].software_ID);
        // The identity list reads no other property.
        EXPECT_EQ(actual[i].manufacturer, "");
        EXPECT_EQ(actual[i].name, "");
        EXPECT_EQ(actual[i].release_date, "");
        EXPECT_EQ(actual[i].identity_info_type, "");
    }
}

std::string FixturePath(const std::string& name)
{
    return std::string(INVENTORY_FIXTURE_DIR) + "/" + name;
}

// The identity list of the simulator serving `fixtureName` of this folder.
std::vector<SoftwareIdentity_> IdentitiesServedFrom(const std::string& fixtureName)
{
    CimSimProcess server({"--fixture", FixturePath(fixtureName)});
    Mellanox module(OutOfBandTo(server));
    std::vector<SoftwareIdentity_> identities;
    EXPECT_EQ(module.GetSoftwareIdentities(identities), 0);
    return identities;
}

std::vector<SoftwareIdentity_> StaleIdentities()
{
    std::vector<SoftwareIdentity_> identities(2);
    identities[0].element_name = "stale";
    return identities;
}

class SoftwareIdentities : public testing::Test {
protected:
    PauseCounter m_pauses_;
};

TEST_F(SoftwareIdentities, DefaultFixtureIsClassifiedFilteredAndWithoutDuplicates)
{
    CimSimProcess server;
    Mellanox module(OutOfBandTo(server));
    std::vector<SoftwareIdentity_> identities = StaleIdentities();
    ASSERT_EQ(module.GetSoftwareIdentities(identities), 0);

    // The board text comes from the first adapter's PSID and names every identity,
    // the second adapter's firmware included; each adapter's two functions report the
    // same firmware, and "tool.exe" is none of the adapters' software.
    const std::string board = "2190110032";
    ExpectIdentities(identities, {
        {"ConnectX-4 FW MT_2190110032", "12.28.2006", "10", "Firmware", board, "MT_2190110032"},
        {"ConnectX-4 UEFI-14.21.17", "14.21.17", "10", "Firmware", "14.21.17", "UEFI"},
        {"ConnectX-4 Lx FW MT_2420110034", "14.32.1010", "10", "Firmware", board, "MT_2420110034"},
        {"ConnectX-4 Lx UEFI-14.25.18", "14.25.18", "10", "Firmware", "14.25.18", "UEFI"},
        {"mlx5.sys", "3.10.51000", "2", "Driver", board, "mlx5"},
        {"ipoib6x.sys", "3.10.51000", "2", "Driver", board, "ipoib6x"},
        {"mlx5_core.ko", "5.8-3.0.7", "2", "Driver", board, "mlx5_core"},
        {"mft-4.22.1", "4.22.1-307", "3", "Configuration Software", board, "mft"},
    });
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

TEST_F(SoftwareIdentities, EdgeCasesOfBoardTextClassificationFilterAndDuplicates)
{
    const std::vector<SoftwareIdentity_> identities = IdentitiesServedFrom("identity_edge_cases.json");

    // 'Driver X', 'Tool MT_1234', 'Other MT_99': the first "MT_" decides the board text.
    // 'tool.exe' ("Utility") is dropped; the second mlx5.sys differs only in its
    // description and is a duplicate.
    ExpectIdentities(identities, {
        {"Driver X", "1.0", "2", "Driver", "1234", "abc"},
        {"Tool MT_1234", "2.0", "0", "Unknown", "1234", "abcdef"},
        {"Other MT_99", "3.0", "0", "Unknown", "1234", "other"},
        {"Adapter-A FW-2.42", "2.42", "10", "Firmware", "2.42", "fw"},
        {"FW-1-2", "1.2", "10", "Firmware", "2", "fw"},
        {"mft 4.22", "4.22", "3", "Configuration Software", "1234", "mft"},
        {"mlx5.sys", "3.10", "2", "Driver", "1234", "mlx5"},
        {"mlx5_core.ko", "5.8", "0", "Unknown", "1234", "mlx5_core"},
        // The provider's classification stays, whatever the description says.
        {"bundle-7", "7.0", "13", "Software Bundle", "1234", "bundle"},
        // "Driver" is tested before "Firmware".
        {"combo-1", "1.1", "2", "Driver", "1234", "combo"},
    });
    ASSERT_EQ(identities.size(), 10u);
    EXPECT_EQ(identities[6].description, "Ethernet Driver") << "the first of the duplicates survives";
    EXPECT_EQ(identities[0].identity_info_value, "abc def ghi");
}

TEST_F(SoftwareIdentities, ElementNameEndingInTheMarkerGivesNoBoardText)
{
    // The later 'Tool MT_55' does not stand in: each record keeps its own name.
    ExpectIdentities(IdentitiesServedFrom("board_text_at_end.json"), {
        {"Card MT_", "1.0", "10", "Firmware", "Card MT_", "card"},
        {"Tool MT_55", "5.5", "2", "Driver", "Tool MT_55", "tool"},
    });
}

TEST_F(SoftwareIdentities, FacadeDumpsEveryReturnedIdentityOnlyAtTraceLevel)
{
    CimSimProcess server;
    Mellanox module(OutOfBandTo(server));

    std::vector<SoftwareIdentity_> traced;
    {
        Quillet::LogCapture capture(4);
        ASSERT_EQ(module.GetSoftwareIdentities(traced), 0);
        EXPECT_EQ(capture.Count(4, "Mellanox::GetSoftwareIdentities - vector<SoftwareIdentity>& softwareIdentity_vec:"),
                  1u);
        EXPECT_EQ(capture.Count(4, "SoftwareIdentity.element_name = mlx5_core.ko"), 1u);
        EXPECT_EQ(capture.Count(4, "SoftwareIdentity.product_name = 2190110032"), 6u);
    }
    std::vector<SoftwareIdentity_> quiet;
    {
        Quillet::LogCapture capture(3);
        ASSERT_EQ(module.GetSoftwareIdentities(quiet), 0);
        EXPECT_FALSE(capture.AnyContains("SoftwareIdentity."));
    }
    ASSERT_EQ(quiet.size(), traced.size());
    for (size_t i = 0; i < quiet.size(); ++i) {
        EXPECT_EQ(quiet[i].element_name, traced[i].element_name);
        EXPECT_EQ(quiet[i].product_name, traced[i].product_name);
    }
}

TEST_F(SoftwareIdentities, InBandReadsTheLocalServer)
{
    CimSimProcess server({"--provider-stopped", "--fixture", FixturePath("board_text_at_end.json")});
    LocalCimServer local(server);
    Mellanox module;
    std::vector<SoftwareIdentity_> identities;
    ASSERT_EQ(module.GetSoftwareIdentities(identities), 0);
    ASSERT_EQ(identities.size(), 2u);
    EXPECT_EQ(identities[1].element_name, "Tool MT_55");
}

}  // namespace
