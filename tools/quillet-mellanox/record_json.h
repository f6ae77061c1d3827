#pragma once
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "quillet_ihv.h"
#include "software_identity.h"
#include "structured_info.h"

// JSON forms of the module's records: one object per record, keyed by the
// record's field names exactly as declared and in declared order. The
// converters must live in the records' own namespaces for nlohmann::json to
// find them.

// NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE writes to nlohmann::json, whose objects
// sort their keys; this writes to ordered_json with the same field helpers.
#define QUILLET_CLI_RECORD_TO_JSON(Type, ...)                                                  \
    inline void to_json(nlohmann::ordered_json& nlohmann_json_j, const Type& nlohmann_json_t) \
    {                                                                                          \
        NLOHMANN_JSON_EXPAND(NLOHMANN_JSON_PASTE(NLOHMANN_JSON_TO, __VA_ARGS__))               \
    }

namespace Quillet::Mellanox {
QUILLET_CLI_RECORD_TO_JSON(PCIDevice_, type, instance_ID, caption, description, element_name, name,
                                   operational_status, status_descriptions, health_state, primary_status,
                                   enabled_state, requested_state, system_creation_class_name, system_name,
                                   creation_class_name, device_ID, bus_number, device_number, function_number,
                                   PCI_device_ID, vendor_ID, revision_ID)
QUILLET_CLI_RECORD_TO_JSON(Port_, device_ID, element_name, auto_sense, caption, creation_class_name,
                                   description, enabled_state, enabled_default, full_duplex, instance_ID, LID_mask,
                                   link_technology, link_speed_active, link_width_active, max_speed, name,
                                   network_addresses, operational_status, permanent_address, port_number,
                                   port_type, speed, status_descriptions, system_creation_class_name, system_name,
                                   active_maximum_transmission_unit, supported_maximum_transmission_unit)
}  // namespace Quillet::Mellanox

namespace Quillet::QLOptions {
QUILLET_CLI_RECORD_TO_JSON(SoftwareIdentity_, description, element_name, product_name, manufacturer, name,
                                   version_string, classifications, classification_descriptions,
                                   identity_info_value, software_ID, sub_device_ID, release_date, software_status,
                                   software_role, identity_info_type, is_PLDM_update_supported, instance_ID,
                                   associated_adapter_slot, last_update_error, last_update_error_string,
                                   reserved_text_1, reserved_text_2, reserved_value)
}  // namespace Quillet::QLOptions

namespace Quillet::QuilletIHV {
QUILLET_CLI_RECORD_TO_JSON(RawData_, content, reserved_text_1, reserved_text_2, command, description, name)
QUILLET_CLI_RECORD_TO_JSON(DiagnosticRecord_, result, job_state, percent_complete, completion_state,
                                   completion_record, detail_1, detail_2, detail_3, detail_4)
}  // namespace Quillet::QuilletIHV

namespace Quillet::Cli {

// The documents printed by --json: {"status": N, ...} with each operation's records.
nlohmann::ordered_json InventoryDocument(int status, const Quillet::Mellanox::StructuredInfo_& info);
nlohmann::ordered_json IdentitiesDocument(int status, const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities);
nlohmann::ordered_json DiagnosticNamesDocument(int status, const std::vector<std::string>& names);
nlohmann::ordered_json DiagnosticRunDocument(int status, const std::string& name,
                                     const Quillet::QuilletIHV::DiagnosticRecord_& record);
nlohmann::ordered_json RawDataDocument(int status, const std::vector<Quillet::QuilletIHV::RawData_>& records);

// Serialises for output; text that is not valid UTF-8 (CIM servers do send
// it) is replaced rather than failing the whole document. indent < 0: one line.
std::string ToJsonText(const nlohmann::ordered_json& document, int indent);

}  // namespace Quillet::Cli
