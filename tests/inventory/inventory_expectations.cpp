#include "inventory_expectations.h"

namespace inventory_test {

using Quillet::Mellanox::PCIDevice_;
using Quillet::Mellanox::Port_;
using Quillet::QLOptions::SoftwareIdentity_;

const std::vector<CopiedField<PCIDevice_>> kPciDeviceFields = {
    {"InstanceID", &PCIDevice_::instance_ID},
    {"Caption", &PCIDevice_::caption},
    {"Description", &PCIDevice_::description},
    {"ElementName", &PCIDevice_::element_name},
    {"Name", &PCIDevice_::name},
    {"OperationalStatus", &PCIDevice_::operational_status},
    {"StatusDescriptions", &PCIDevice_::status_descriptions},
    {"HealthState", &PCIDevice_::health_state},
    {"PrimaryStatus", &PCIDevice_::primary_status},
    {"EnabledState", &PCIDevice_::enabled_state},
    {"RequestedState", &PCIDevice_::requested_state},
    {"SystemCreationClassName", &PCIDevice_::system_creation_class_name},
    {"SystemName", &PCIDevice_::system_name},
    {"CreationClassName", &PCIDevice_::creation_class_name},
    {"DeviceID", &PCIDevice_::device_ID},
    {"BusNumber", &PCIDevice_::bus_number},
    {"DeviceNumber", &PCIDevice_::device_number},
    {"FunctionNumber", &PCIDevice_::function_number},
    {"PCIDeviceID", &PCIDevice_::PCI_device_ID},
    {"VendorID", &PCIDevice_::vendor_ID},
    {"RevisionID", &PCIDevice_::revision_ID}};

const std::vector<CopiedField<Port_>> kPortFields = {
    {"DeviceID", &Port_::device_ID},
    {"ElementName", &Port_::element_name},
    {"AutoSense", &Port_::auto_sense},
    {"Caption", &Port_::caption},
    {"CreationClassName", &Port_::creation_class_name},
    {"Description", &Port_::description},
    {"EnabledState", &Port_::enabled_state},
    {"EnabledDefault", &Port_::enabled_default},
    {"FullDuplex", &Port_::full_duplex},
    {"InstanceID", &Port_::instance_ID},
    {"LIDMask", &Port_::LID_mask},
    {"LinkTechnology", &Port_::link_technology},
    {"LinkSpeedActive", &Port_::link_speed_active},
    {"LinkWidthActive", &Port_::link_width_active},
    {"MaxSpeed", &Port_::max_speed},
    {"Name", &Port_::name},
    {"NetworkAddresses", &Port_::network_addresses},
    {"OperationalStatus", &Port_::operational_status},
    {"PermanentAddress", &Port_::permanent_address},
    {"PortNumber", &Port_::port_number},
    {"PortType", &Port_::port_type},
    {"Speed", &Port_::speed},
    {"StatusDescriptions", &Port_::status_descriptions},
    {"SystemCreationClassName", &Port_::system_creation_class_name},
    {"SystemName", &Port_::system_name},
    {"ActiveMaximumTransmissionUnit", &Port_::active_maximum_transmission_unit},
    {"SupportedMaximumTransmissionUnit", &Port_::supported_maximum_transmission_unit}};

const std::vector<CopiedField<SoftwareIdentity_>> kInventoryIdentityFields = {
    {"Description", &SoftwareIdentity_::description},
    {"ElementName", &SoftwareIdentity_::element_name},
    {"Manufacturer", &SoftwareIdentity_::manufacturer},
    {"Name", &SoftwareIdentity_::name},
    {"VersionString", &SoftwareIdentity_::version_string},
    {"IdentityInfoValue", &SoftwareIdentity_::identity_info_value},
    {"SubDeviceID", &SoftwareIdentity_::sub_device_ID},
    {"ReleaseDate", &SoftwareIdentity_::release_date},
    {"SoftwareStatus", &SoftwareIdentity_::software_status},
    {"SoftwareRole", &SoftwareIdentity_::software_role},
    {"IdentityInfoType", &SoftwareIdentity_::identity_info_type}};

namespace {

// 1 InfiniBand, 0 Ethernet, -1 (the module's own value) for neither.
int32_t ExpectedPciType(const std::string& name)
{
    if (name.find("IB") != std::string::npos) {
        return 1;
    }
    if (name.find("EN") != std::string::npos) {
        return 0;
    }
    return -1;
}

// An identity the provider classified keeps its texts and its element name as
// product name; the others are classified by the module and checked elsewhere.
void ExpectProviderClassificationKept(const cim_module_support::FixtureDocument& fixture,
                                      const std::vector<std::string>& classes,
                                      const std::vector<SoftwareIdentity_>& identities)
{
    size_t position = 0;
    for (const std::string& className : classes) {
        for (const nlohmann::json& instance : fixture.InstancesOf(className)) {
            ASSERT_LT(position, identities.size());
            const SoftwareIdentity_& identity = identities[position++];
            const std::string provided = fixture.DisplayText(className, instance, "Classifications", false);
            const std::string identityValue = identity.identity_info_value;
            EXPECT_EQ(identity.software_ID, identityValue.substr(0, identityValue.find(' '))) << identity.element_name;
            EXPECT_EQ(identity.is_PLDM_update_supported, "0") << "never set by the module";
            EXPECT_EQ(identity.reserved_value, 3) << "never set by the module";
            if (provided.empty()) {
                continue;
            }
            EXPECT_EQ(identity.classifications, provided) << identity.element_name;
            EXPECT_EQ(identity.classification_descriptions,
                      fixture.DisplayText(className, instance, "ClassificationDescriptions", false))
                << identity.element_name;
            EXPECT_EQ(identity.product_name, identity.element_name);
        }
    }
}

}  // namespace

void ExpectStructuredInfoMatchesFixture(const cim_module_support::FixtureDocument& fixture,
                                        const Quillet::Mellanox::StructuredInfo_& info)
{
    ExpectRecordsMatchFixture(fixture, {"MLNX_PCIDevice"}, info.pci_devices, kPciDeviceFields, false);
    for (const PCIDevice_& device : info.pci_devices) {
        EXPECT_EQ(device.type, ExpectedPciType(device.name)) << device.name;
    }
    ExpectRecordsMatchFixture(fixture, {"MLNX_IBPort", "MLNX_EthernetPort"}, info.ports, kPortFields, true);
    const std::vector<std::string> identityClasses = {"MLNX_FirmwareIdentity", "MLNX_SoftwareIdentity"};
    ExpectRecordsMatchFixture(fixture, identityClasses, info.software_identities, kInventoryIdentityFields, false);
    ExpectProviderClassificationKept(fixture, identityClasses, info.software_identities);
}

}  // namespace inventory_test
