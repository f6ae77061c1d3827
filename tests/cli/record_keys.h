#pragma once
#include <nlohmann/json.hpp>

#include <set>
#include <string>

namespace cli_test {

// The field names of the framework's records, as the JSON output must spell them.
inline const std::set<std::string> kPciDeviceKeys = {
    "type", "instance_ID", "caption", "description", "element_name", "name", "operational_status",
    "status_descriptions", "health_state", "primary_status", "enabled_state", "requested_state",
    "system_creation_class_name", "system_name", "creation_class_name", "device_ID", "bus_number",
    "device_number", "function_number", "PCI_device_ID", "vendor_ID", "revision_ID"};

inline const std::set<std::string> kPortKeys = {
    "device_ID", "element_name", "auto_sense", "caption", "creation_class_name", "description", "enabled_state",
    "enabled_default", "full_duplex", "instance_ID", "LID_mask", "link_technology", "link_speed_active",
    "link_width_active", "max_speed", "name", "network_addresses", "operational_status", "permanent_address",
    "port_number", "port_type", "speed", "status_descriptions", "system_creation_class_name", "system_name",
    "active_maximum_transmission_unit", "supported_maximum_transmission_unit"};

inline const std::set<std::string> kSoftwareIdentityKeys = {
    "description", "element_name", "product_name", "manufacturer", "name", "version_string", "classifications",
    "classification_descriptions", "identity_info_value", "software_ID", "sub_device_ID", "release_date",
    "software_status", "software_role", "identity_info_type", "is_PLDM_update_supported", "instance_ID",
    "associated_adapter_slot", "last_update_error", "last_update_error_string", "reserved_text_1",
    "reserved_text_2", "reserved_value"};

inline const std::set<std::string> kRawDataKeys = {"content",     "reserved_text_1", "reserved_text_2",
                                                   "command",     "description",     "name"};

inline const std::set<std::string> kDiagnosticRecordKeys = {
    "result", "job_state", "percent_complete", "completion_state", "completion_record",
    "detail_1", "detail_2", "detail_3", "detail_4"};

inline std::set<std::string> KeysOf(const nlohmann::json& object)
{
    std::set<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it) {
        keys.insert(it.key());
    }
    return keys;
}

}  // namespace cli_test
