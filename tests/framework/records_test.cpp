#include <gtest/gtest.h>

#include <type_traits>

#include "connection_info.h"
#include "quillet_ihv.h"
#include "software_identity.h"
#include "structured_info.h"

namespace {

TEST(Records, SoftwareIdentityDefaultsSurviveCopyAndAssignment)
{
    Quillet::QLOptions::SoftwareIdentity_ identity;
    EXPECT_EQ(identity.is_PLDM_update_supported, "0");
    EXPECT_EQ(identity.reserved_value, 3);
    EXPECT_TRUE(identity.description.empty());
    EXPECT_TRUE(identity.reserved_text_2.empty());

    identity.reserved_value = 9;
    identity.last_update_error_string = "kept";
    Quillet::QLOptions::SoftwareIdentity_ copy(identity);
    Quillet::QLOptions::SoftwareIdentity_ assigned;
    assigned = identity;
    EXPECT_EQ(copy.reserved_value, 9);
    EXPECT_EQ(assigned.last_update_error_string, "kept");
    EXPECT_EQ(assigned.is_PLDM_update_supported, "0");
}

TEST(Records, ConnectionInfoDefaults)
{
    Quillet::QuilletConnection::ConnectionInfo info;
    EXPECT_TRUE(info.host.empty());
    EXPECT_TRUE(info.user_name.empty());
    EXPECT_TRUE(info.password.empty());
    EXPECT_EQ(info.port, 0);
    EXPECT_EQ(info.reserved_short_1, 0);
    EXPECT_EQ(info.reserved_short_2, 3);
    EXPECT_EQ(info.connection_type, 0);
    static_assert(std::is_same<decltype(info.port), uint16_t>::value, "port is 16-bit unsigned");
    static_assert(std::is_same<decltype(info.connection_type), int32_t>::value, "type is 32-bit signed");
}

TEST(Records, FieldsKeepDeclaredOrder)
{
    // The framework's declaration and ours must agree field for field.
    static_assert(offsetof(Quillet::QuilletIHV::RawData_, content) < offsetof(Quillet::QuilletIHV::RawData_, command),
                  "content precedes command");
    static_assert(offsetof(Quillet::QuilletIHV::RawData_, description) < offsetof(Quillet::QuilletIHV::RawData_, name),
                  "description precedes name");
    static_assert(offsetof(Quillet::Mellanox::StructuredInfo_, pci_devices) <
                      offsetof(Quillet::Mellanox::StructuredInfo_, software_identities),
                  "devices precede identities");
    static_assert(offsetof(Quillet::Mellanox::StructuredInfo_, software_identities) <
                      offsetof(Quillet::Mellanox::StructuredInfo_, ports),
                  "identities precede ports");
    // Nothing beyond the declared fields: the type (padded to a string's
    // alignment) and 21 texts, 27 texts, 6 texts, 3 lists.
    static_assert(sizeof(Quillet::Mellanox::PCIDevice_) == alignof(std::string) + 21 * sizeof(std::string),
                  "PCIDevice_ holds its 22 fields only");
    static_assert(sizeof(Quillet::Mellanox::Port_) == 27 * sizeof(std::string), "Port_ holds its 27 texts only");
    static_assert(sizeof(Quillet::QuilletIHV::RawData_) == 6 * sizeof(std::string), "RawData_ holds 6 texts");
    static_assert(sizeof(Quillet::Mellanox::StructuredInfo_) == 3 * sizeof(std::vector<int>),
                  "StructuredInfo_ holds its 3 lists only");
    SUCCEED();
}

}  // namespace
