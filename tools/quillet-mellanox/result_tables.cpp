#include "result_tables.h"

#include <algorithm>

#include "display_values.h"
#include "text_table.h"

namespace Quillet::Cli {
namespace {

const size_t kIndent = 2;

std::string Title(const TableContext& context, const std::string& what);

std::string Section(const TableContext& context, const std::string& title, const std::string& count,
                    const TextTable& table, int status = 0)
{
    if (table.Empty() && status != 0) {
        // An empty list from a failed operation says nothing about the server.
        return "\n" + title + ": not read\n";
    }
    std::string text = "\n" + title + " (" + count + ")\n";
    text += table.Empty() ? std::string(kIndent, ' ') + "none\n" : table.Render(kIndent, context.width);
    return text;
}

// The end of every result: the reason of a failure, when known, and the status.
std::string Ending(const TableContext& context, int status)
{
    std::string text = "\n";
    if (!context.failure.empty()) {
        text += "Failed: " + context.failure + "\n";
    }
    return text + StatusLine(status);
}

// What a failed operation that read nothing at all prints instead of tables.
std::string NothingRead(const TableContext& context, const std::string& title, int status)
{
    return Title(context, title) + "\nNothing was read.\n" + Ending(context, status);
}

size_t CountLines(const std::string& text)
{
    size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    return (!text.empty() && text.back() != '\n') ? lines + 1 : lines;
}

// "OK - Active LinkUp", or "Degraded PCIe link width x8 of x16": the status
// and the provider's words for it, without saying the same thing twice.
std::string StatusWithDescription(const std::string& operationalStatus, const std::string& descriptions)
{
    const std::string status = OperationalStatusText(operationalStatus);
    if (descriptions.empty()) {
        return status;
    }
    if (status.empty() || descriptions.compare(0, status.size(), status) == 0) {
        return descriptions;
    }
    return status + " - " + descriptions;
}

// "100 Gb/s EDR": the rate, and the InfiniBand speed name when known.
std::string PortSpeed(const Quillet::Mellanox::Port_& port)
{
    const std::string rate = BitRate(FirstOf(port.speed, port.max_speed));
    const std::string& active = port.link_speed_active;
    if (active.empty() || active == "Unknown" || active == port.speed) {
        return rate;
    }
    return rate.empty() ? active : rate + " " + active;
}

TextTable PciFunctionTable(const std::vector<Quillet::Mellanox::PCIDevice_>& devices)
{
    TextTable table({"ADDRESS", "KIND", "IDS", "NAME", "HEALTH", "STATUS"});
    table.SetFlexible({"NAME", "STATUS"});
    table.SetKeyColumns({"ADDRESS", "IDS"});
    for (const auto& device : devices) {
        table.AddRow({PciAddress(device.bus_number, device.device_number, device.function_number),
                      PciFunctionKind(device.type), PciIds(device.vendor_ID, device.PCI_device_ID),
                      FirstOf(device.element_name, device.name), HealthStateText(device.health_state),
                      StatusWithDescription(device.operational_status, device.status_descriptions)});
    }
    return table;
}

TextTable PortTable(const std::vector<Quillet::Mellanox::Port_>& ports)
{
    TextTable table({"PORT", "LINK", "SPEED", "WIDTH", "MTU", "ADDRESS", "STATUS", "DESCRIPTION"});
    table.SetFlexible({"STATUS", "DESCRIPTION"});
    table.SetKeyColumns({"PORT", "ADDRESS"});
    for (const auto& port : ports) {
        table.AddRow({FirstOf(port.name, port.device_ID), FirstOf(port.link_technology, port.port_type),
                      PortSpeed(port), port.link_width_active, port.active_maximum_transmission_unit,
                      HardwareAddress(FirstOf(port.permanent_address, port.network_addresses)),
                      StatusWithDescription(port.operational_status, port.status_descriptions),
                      FirstOf(port.description, port.element_name)});
    }
    return table;
}

std::string ClassOf(const Quillet::QLOptions::SoftwareIdentity_& identity)
{
    return FirstOf(identity.classification_descriptions, identity.classifications);
}

// The structured inventory lists an identity once per PCI function that
// reports it; people need each one once.
TextTable DistinctIdentityTable(const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities,
                                size_t& distinct)
{
    TextTable table({"CLASS", "NAME", "VERSION", "RELEASED", "ID"});
    table.SetFlexible({"CLASS"});
    table.SetKeyColumns({"NAME", "VERSION", "ID"});
    std::vector<std::vector<std::string>> rows;
    for (const auto& identity : identities) {
        std::vector<std::string> row{ClassOf(identity), identity.element_name, identity.version_string,
                                     CimDate(identity.release_date), identity.software_ID};
        if (std::find(rows.begin(), rows.end(), row) == rows.end()) {
            rows.push_back(row);
            table.AddRow(row);
        }
    }
    distinct = rows.size();
    return table;
}

TextTable IdentityTable(const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities)
{
    TextTable table({"CLASS", "PRODUCT", "NAME", "VERSION", "ID"});
    table.SetFlexible({"CLASS", "PRODUCT"});
    table.SetKeyColumns({"NAME", "VERSION", "ID"});
    for (const auto& identity : identities) {
        table.AddRow({ClassOf(identity), identity.product_name, identity.element_name, identity.version_string,
                      identity.software_ID});
    }
    return table;
}

std::string Title(const TableContext& context, const std::string& what)
{
    return what + " - " + context.target + "\n";
}

}  // namespace

std::string StatusLine(int status)
{
    return "Status " + std::to_string(status) + ": " + StatusMeaning(status) + "\n";
}

std::string InventoryText(const TableContext& context, int status, const Quillet::Mellanox::StructuredInfo_& info)
{
    if (status != 0 && info.pci_devices.empty() && info.ports.empty() && info.software_identities.empty()) {
        return NothingRead(context, "Mellanox adapters", status);
    }
    std::string text = Title(context, "Mellanox adapters");
    text += Section(context, "PCI functions", std::to_string(info.pci_devices.size()),
                    PciFunctionTable(info.pci_devices), status);
    text += Section(context, "Ports", std::to_string(info.ports.size()), PortTable(info.ports), status);
    size_t distinct = 0;
    const TextTable identities = DistinctIdentityTable(info.software_identities, distinct);
    std::string identityCount = std::to_string(info.software_identities.size());
    if (distinct != info.software_identities.size()) {
        identityCount += " reported, " + std::to_string(distinct) + " different";
    }
    text += Section(context, "Firmware and software", identityCount, identities, status);
    return text + Ending(context, status);
}

std::string IdentitiesText(const TableContext& context, int status,
                           const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities)
{
    if (status != 0 && identities.empty()) {
        return NothingRead(context, "Mellanox firmware, drivers and tools", status);
    }
    std::string text = Title(context, "Mellanox firmware, drivers and tools");
    text += Section(context, "Software identities", std::to_string(identities.size()), IdentityTable(identities));
    return text + Ending(context, status);
}

std::string DiagnosticNamesText(const TableContext& context, int status, const std::vector<std::string>& names)
{
    if (status != 0 && names.empty()) {
        return NothingRead(context, "Mellanox diagnostics", status);
    }
    TextTable table({"NAME", "SERVICE", "DEVICE"});
    table.SetKeyColumns({"NAME"});
    for (const std::string& name : names) {
        const size_t bar = name.find('|');
        table.AddRow({name, name.substr(0, bar), bar == std::string::npos ? std::string() : name.substr(bar + 1)});
    }
    std::string text = Title(context, "Mellanox diagnostics");
    text += Section(context, "Diagnostics", std::to_string(names.size()), table);
    if (!names.empty()) {
        text += "\nRun one with: quillet-mellanox diag run '" + names.front() + "'\n";
    }
    return text + Ending(context, status);
}

std::string DiagnosticRunText(const TableContext& context, int status, const std::string& name,
                              const Quillet::QuilletIHV::DiagnosticRecord_& record)
{
    if (record.result == 0 && status == 1) {
        return Title(context, "Mellanox diagnostic " + name) + "\nNo diagnostic matches '" + name +
               "'; nothing ran.\n'quillet-mellanox diag list' shows the names this server offers.\n";
    }
    if (status != 0 && record.result == 0) {
        return NothingRead(context, "Mellanox diagnostic " + name, status);
    }
    TextTable table({"FIELD", "VALUE"});
    table.SetFlexible({"VALUE"});
    table.AddRow({"result", std::to_string(record.result) + " (" + DiagnosticResultMeaning(record.result) + ")"});
    table.AddRow({"job state", record.job_state});
    table.AddRow({"percent complete", record.percent_complete});
    table.AddRow({"completion state", record.completion_state});
    table.AddRow({"completion record", record.completion_record});
    const std::string details[] = {record.detail_1, record.detail_2, record.detail_3, record.detail_4};
    for (size_t i = 0; i < 4; ++i) {
        if (!details[i].empty()) {
            table.AddRow({"detail " + std::to_string(i + 1), details[i]});
        }
    }
    std::string text = Title(context, "Mellanox diagnostic " + name);
    text += "\n" + table.Render(kIndent, context.width);
    return text + Ending(context, status);
}

std::string RawDataText(const TableContext& context, int status,
                        const std::vector<Quillet::QuilletIHV::RawData_>& records, const std::string& outDirectory)
{
    if (status != 0 && records.empty()) {
        return NothingRead(context, "Mellanox service data", status);
    }
    TextTable table({"NAME", "LINES", "DESCRIPTION", "COMMAND"});
    table.SetFlexible({"DESCRIPTION", "COMMAND"});
    table.SetKeyColumns({"NAME"});
    for (const auto& record : records) {
        table.AddRow({record.name, std::to_string(CountLines(record.content)), record.description, record.command});
    }
    std::string text = Title(context, "Mellanox service data");
    text += Section(context, "Raw data", std::to_string(records.size()), table);
    if (!outDirectory.empty()) {
        if (!records.empty()) {
            text += "\nWritten to " + outDirectory + "/<NAME>\n";
        }
    } else {
        for (const auto& record : records) {
            text += "\n== " + record.name + "\n" + record.content;
            if (!record.content.empty() && record.content.back() != '\n') {
                text += "\n";
            }
        }
    }
    return text + Ending(context, status);
}

}  // namespace Quillet::Cli
