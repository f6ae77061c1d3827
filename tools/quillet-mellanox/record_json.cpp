#include "record_json.h"

namespace Quillet::Cli {

nlohmann::ordered_json InventoryDocument(int status, const Quillet::Mellanox::StructuredInfo_& info)
{
    return {{"status", status},
            {"pci_devices", info.pci_devices},
            {"ports", info.ports},
            {"software_identities", info.software_identities}};
}

nlohmann::ordered_json IdentitiesDocument(int status, const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities)
{
    return {{"status", status}, {"software_identities", identities}};
}

nlohmann::ordered_json DiagnosticNamesDocument(int status, const std::vector<std::string>& names)
{
    return {{"status", status}, {"names", names}};
}

nlohmann::ordered_json DiagnosticRunDocument(int status, const std::string& name,
                                     const Quillet::QuilletIHV::DiagnosticRecord_& record)
{
    return {{"status", status}, {"name", name}, {"record", record}};
}

nlohmann::ordered_json RawDataDocument(int status, const std::vector<Quillet::QuilletIHV::RawData_>& records)
{
    return {{"status", status}, {"raw_data", records}};
}

std::string ToJsonText(const nlohmann::ordered_json& document, int indent)
{
    return document.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace Quillet::Cli
