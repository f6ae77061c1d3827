#include "result_tables.h"

#include <algorithm>

#include "display_values.h"
#include "text_table.h"

namespace Quillet::Cli {
namespace {

const size_t kIndent = 2;

std::string Heading(const std::string& title, size_t count)
{
    return title + " (" + std::to_string(count) + ")\n";
}

std::string Section(const TableContext& context, const std::string& title, size_t count, const TextTable& table)
{
    std::string text = "\n" + Heading(title, count);
    text += table.Empty() ? std::string(kIndent, ' ') + "none\n" : table.Render(kIndent, context.width);
    return text;
}

size_t CountLines(const std::string& text)
{
    size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    return (!text.empty() && text.back() != '\n') ? lines + 1 : lines;
}

TextTable PciFunctionTable(const std::vector<Quillet::Mellanox::PCIDevice_>& devices)
{
    TextTable table({"ADDRESS", "KIND", "IDS", "NAME", "HEALTH", "STATE", "STATUS"});
    for (const auto& device : devices) {
        table.AddRow({PciAddress(device.bus_number, device.device_number, device.function_number),
                      PciFunctionKind(device.type), PciIds(device.vendor_ID, device.PCI_device_ID),
                      FirstOf(device.element_name, device.name), device.health_state, device.enabled_state,
                      FirstOf(device.operational_status, device.status_descriptions)});
    }
    return table;
}

TextTable PortTable(const std::vector<Quillet::Mellanox::Port_>& ports)
{
    TextTable table({"PORT", "LINK", "SPEED", "WIDTH", "MTU", "ADDRESS", "STATE", "STATUS"});
    for (const auto& port : ports) {
        table.AddRow({FirstOf(port.element_name, port.device_ID), FirstOf(port.link_technology, port.port_type),
                      BitRate(FirstOf(port.speed, port.link_speed_active)), port.link_width_active,
                      port.active_maximum_transmission_unit,
                      FirstOf(port.permanent_address, port.network_addresses), port.enabled_state,
                      port.operational_status});
    }
    return table;
}

TextTable IdentityTable(const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities, bool withRelease)
{
    std::vector<std::string> headings{"CLASS", "PRODUCT", "NAME", "VERSION"};
    if (withRelease) {
        headings.push_back("RELEASED");
    }
    TextTable table(headings);
    for (const auto& identity : identities) {
        std::vector<std::string> row{FirstOf(identity.classification_descriptions, identity.classifications),
                                     identity.product_name, identity.element_name, identity.version_string};
        if (withRelease) {
            row.push_back(CimDate(identity.release_date));
        }
        table.AddRow(row);
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
    std::string text = Title(context, "Mellanox adapters");
    text += Section(context, "PCI functions", info.pci_devices.size(), PciFunctionTable(info.pci_devices));
    text += Section(context, "Ports", info.ports.size(), PortTable(info.ports));
    text += Section(context, "Firmware and software", info.software_identities.size(),
                    IdentityTable(info.software_identities, true));
    return text + "\n" + StatusLine(status);
}

std::string IdentitiesText(const TableContext& context, int status,
                           const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities)
{
    std::string text = Title(context, "Mellanox firmware, drivers and tools");
    text += Section(context, "Software identities", identities.size(), IdentityTable(identities, false));
    return text + "\n" + StatusLine(status);
}

std::string DiagnosticNamesText(const TableContext& context, int status, const std::vector<std::string>& names)
{
    TextTable table({"NAME", "SERVICE", "DEVICE"});
    for (const std::string& name : names) {
        const size_t bar = name.find('|');
        table.AddRow({name, name.substr(0, bar), bar == std::string::npos ? std::string() : name.substr(bar + 1)});
    }
    std::string text = Title(context, "Mellanox diagnostics");
    text += Section(context, "Diagnostics", names.size(), table);
    if (!names.empty()) {
        text += "\nRun one with: quillet-mellanox diag run '" + names.front() + "'\n";
    }
    return text + "\n" + StatusLine(status);
}

std::string DiagnosticRunText(const TableContext& context, int status, const std::string& name,
                              const Quillet::QuilletIHV::DiagnosticRecord_& record)
{
    TextTable table({"FIELD", "VALUE"});
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
    return text + "\n" + StatusLine(status);
}

std::string RawDataText(const TableContext& context, int status,
                        const std::vector<Quillet::QuilletIHV::RawData_>& records, const std::string& outDirectory)
{
    TextTable table({"NAME", "LINES", "DESCRIPTION", "COMMAND"});
    for (const auto& record : records) {
        table.AddRow({record.name, std::to_string(CountLines(record.content)), record.description, record.command});
    }
    std::string text = Title(context, "Mellanox service data");
    text += Section(context, "Raw data", records.size(), table);
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
    return text + "\n" + StatusLine(status);
}

}  // namespace Quillet::Cli
