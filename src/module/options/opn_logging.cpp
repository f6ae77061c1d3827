#include "opn_logging.h"

namespace Quillet {
namespace QLOptions {

void LogSoftwareIdentity(Quillet::QLOptions::SoftwareIdentity_ identity)
{
    OPN_LOG(4) << "SoftwareIdentity.description = " << identity.description;
    OPN_LOG(4) << "SoftwareIdentity.element_name = " << identity.element_name;
    OPN_LOG(4) << "SoftwareIdentity.product_name = " << identity.product_name;
    OPN_LOG(4) << "SoftwareIdentity.manufacturer = " << identity.manufacturer;
    OPN_LOG(4) << "SoftwareIdentity.name = " << identity.name;
    OPN_LOG(4) << "SoftwareIdentity.version_string = " << identity.version_string;
    OPN_LOG(4) << "SoftwareIdentity.classifications = " << identity.classifications;
    OPN_LOG(4) << "SoftwareIdentity.classification_descriptions = " << identity.classification_descriptions;
    OPN_LOG(4) << "SoftwareIdentity.identity_info_value = " << identity.identity_info_value;
    OPN_LOG(4) << "SoftwareIdentity.software_ID = " << identity.software_ID;
    OPN_LOG(4) << "SoftwareIdentity.sub_device_ID = " << identity.sub_device_ID;
    OPN_LOG(4) << "SoftwareIdentity.release_date = " << identity.release_date;
    OPN_LOG(4) << "SoftwareIdentity.software_status = " << identity.software_status;
    OPN_LOG(4) << "SoftwareIdentity.software_role = " << identity.software_role;
    OPN_LOG(4) << "SoftwareIdentity.identity_info_type = " << identity.identity_info_type;
}

}  // namespace QLOptions
}  // namespace Quillet
