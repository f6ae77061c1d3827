#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "software_identity.h"

namespace Quillet {
namespace Mellanox {

// One PCI function of an adapter. `type`: 0 Ethernet, 1 InfiniBand; the
// default constructor leaves it unset.
struct PCIDevice_ {
    int32_t type;
    std::string instance_ID;
    std::string caption;
    std::string description;
    std::string element_name;
    std::string name;
    std::string operational_status;
    std::string status_descriptions;
    std::string health_state;
    std::string primary_status;
    std::string enabled_state;
    std::string requested_state;
    std::string system_creation_class_name;
    std::string system_name;
    std::string creation_class_name;
    std::string device_ID;
    std::string bus_number;
    std::string device_number;
    std::string function_number;
    std::string PCI_device_ID;
    std::string vendor_ID;
    std::string revision_ID;
};

// One network port of an adapter.
struct Port_ {
    std::string device_ID;
    std::string element_name;
    std::string auto_sense;
    std::string caption;
    std::string creation_class_name;
    std::string description;
    std::string enabled_state;
    std::string enabled_default;
    std::string full_duplex;
    std::string instance_ID;
    std::string LID_mask;
    std::string link_technology;
    std::string link_speed_active;
    std::string link_width_active;
    std::string max_speed;
    std::string name;
    std::string network_addresses;
    std::string operational_status;
    std::string permanent_address;
    std::string port_number;
    std::string port_type;
    std::string speed;
    std::string status_descriptions;
    std::string system_creation_class_name;
    std::string system_name;
    std::string active_maximum_transmission_unit;
    std::string supported_maximum_transmission_unit;
};

// The structured inventory of all Mellanox adapters of a server.
struct StructuredInfo_ {
    std::vector<PCIDevice_> pci_devices;
    std::vector<Quillet::QLOptions::SoftwareIdentity_> software_identities;
    std::vector<Port_> ports;
};

}  // namespace Mellanox
}  // namespace Quillet
