#pragma once
#include <cstdint>
#include <string>

namespace Quillet {
namespace QLOptions {

// One firmware, driver or tool identity, shared by the framework's option modules.
struct SoftwareIdentity_ {
    std::string description;
    std::string element_name;
    std::string product_name;
    std::string manufacturer;
    std::string name;
    std::string version_string;
    std::string classifications;
    std::string classification_descriptions;
    std::string identity_info_value;
    std::string software_ID;
    std::string sub_device_ID;
    std::string release_date;
    std::string software_status;
    std::string software_role;
    std::string identity_info_type;
    std::string is_PLDM_update_supported = "0";
    std::string instance_ID;
    std::string associated_adapter_slot;
    std::string last_update_error;
    std::string last_update_error_string;
    std::string reserved_text_1;
    std::string reserved_text_2;
    int32_t reserved_value = 3;
};

}  // namespace QLOptions
}  // namespace Quillet
