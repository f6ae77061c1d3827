#include "record_json.h"

namespace Quillet::Cli {

nlohmann::json InventoryDocument(int status, const Quillet::Mellanox::StructuredInfo_& info)
{
    return {{"status", status},
            {"pci_devices", info.pci_devices},
            {"ports", info.ports},
            {"software_identities", info.software_identities}};
}

nlohmann::json IdentitiesDocument(int status, const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities)
{
    return {{"status", status}, {"software_identities", identities}};
}

nlohmann::json DiagnosticNamesDocument(int status, const std::vector<std::string>& names)
{
    return {{"status", status}, {"names", names}};
}

nlohmann::json DiagnosticRunDocument(int status, const std::string& name,
                                     const Quillet::QuilletIHV::DiagnosticRecord_& record)
{
    return {{"status", status}, {"name", name}, {"record", record}};
}

nlohmann::json RawDataDocument(int status, const std::vector<Quillet::QuilletIHV::RawData_>& records)
{
    return {{"status", status}, {"raw_data", records}};
}

std::string ToJsonText(const nlohmann::json& document, int indent)
{
    return document.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace Quillet::Cli
