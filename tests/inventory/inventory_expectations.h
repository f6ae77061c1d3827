#pragma once
// What the module's inventory records must hold for a simulator fixture: every text
// field against the CIM property it is copied from, record by record in server order.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cim_module_support/fixture_document.h"
#include "software_identity.h"
#include "structured_info.h"

namespace inventory_test {

// A record's text field and the CIM property it is copied from.
template <typename Record>
struct CopiedField {
    const char* property;
    std::string Record::*field;
};

extern const std::vector<CopiedField<Quillet::Mellanox::PCIDevice_>> kPciDeviceFields;
extern const std::vector<CopiedField<Quillet::Mellanox::Port_>> kPortFields;
// The identity fields the structured inventory copies unchanged.
extern const std::vector<CopiedField<Quillet::QLOptions::SoftwareIdentity_>> kInventoryIdentityFields;

// The records must be the fixture's instances of `classes` (in that order, each class
// in fixture order), every listed field equal to the property's display text.
template <typename Record>
void ExpectRecordsMatchFixture(const cim_module_support::FixtureDocument& fixture,
                               const std::vector<std::string>& classes, const std::vector<Record>& records,
                               const std::vector<CopiedField<Record>>& fields, bool translated)
{
    size_t position = 0;
    for (const std::string& className : classes) {
        for (const nlohmann::json& instance : fixture.InstancesOf(className)) {
            ASSERT_LT(position, records.size()) << "no record for instance " << position << " (" << className << ")";
            for (const CopiedField<Record>& copied : fields) {
                EXPECT_EQ(records[position].*copied.field,
                          fixture.DisplayText(className, instance, copied.property, translated))
                    << className << " instance " << position << ", property " << copied.property;
            }
            ++position;
        }
    }
    EXPECT_EQ(records.size(), position) << "records beyond the fixture's instances";
}

// The whole structured inventory of the fixture: PCI devices with their type, ports
// with their value-map texts, identities with their raw texts and classification.
void ExpectStructuredInfoMatchesFixture(const cim_module_support::FixtureDocument& fixture,
                                        const Quillet::Mellanox::StructuredInfo_& info);

}  // namespace inventory_test
