#include "adapter_metrics.h"

#include <optional>
#include <sstream>

#include "display_values.h"

namespace Quillet::Cli {

const char kLastSuccessFamily[] = "quillet_mellanox_operation_last_success_timestamp_seconds";

namespace {

const char kPrefix[] = "quillet_mellanox_";

std::optional<double> Number(const std::string& text)
{
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return static_cast<double>(std::stoull(text));
}

std::optional<double> Bytes(const std::string& bits)
{
    const std::optional<double> value = Number(bits);
    return value ? std::optional<double>(*value / 8) : std::nullopt;
}

// CIM PrimaryStatus: 0 Unknown, 1 OK, 2 Degraded, 3 Error.
std::optional<double> PrimaryStatusCode(const std::string& text)
{
    const char* names[] = {"Unknown", "OK", "Degraded", "Error"};
    for (unsigned int code = 0; code < 4; ++code) {
        if (text == names[code]) {
            return code;
        }
    }
    return Number(text);
}

// LinkWidthActive as a number of lanes, from its name ("4X") or its code.
std::optional<double> Lanes(const std::string& text)
{
    if (text.size() >= 2 && text.back() == 'X') {
        return Number(text.substr(0, text.size() - 1));
    }
    const std::optional<double> code = Number(text);
    if (!code) {
        return std::nullopt;
    }
    // Value map of the width: 1 1X, 2 4X, 4 8X, 8 12X, 16 2X (0 Unknown).
    const std::map<double, double> lanes = {{1, 1}, {2, 4}, {4, 8}, {8, 12}, {16, 2}};
    const auto found = lanes.find(*code);
    return found == lanes.end() ? std::nullopt : std::optional<double>(found->second);
}

// Whether the port has a link: the provider's status words first ("Active
// LinkUp", "Up", "Down Polling"), else its operational status.
std::optional<double> LinkUp(const Quillet::Mellanox::Port_& port)
{
    std::istringstream words(port.status_descriptions);
    for (std::string word; words >> word;) {
        if (word == "LinkUp" || word == "Up") {
            return 1;
        }
        if (word == "LinkDown" || word == "Down") {
            return 0;
        }
    }
    const std::optional<unsigned int> status = OperationalStatusCode(port.operational_status);
    if (!status) {
        return std::nullopt;
    }
    // OK, Degraded, Stressed and Predictive Failure still carry traffic.
    return *status >= 2 && *status <= 5 ? 1 : 0;
}

std::string FunctionAddress(const Quillet::Mellanox::PCIDevice_& function)
{
    return FirstOf(function.device_ID, PciAddress(function.bus_number, function.device_number,
                                                  function.function_number));
}

// The adapter of a function is its address without the function number.
std::string AdapterAddress(const std::string& functionAddress)
{
    const size_t dot = functionAddress.rfind('.');
    return dot == std::string::npos ? functionAddress : functionAddress.substr(0, dot);
}

void AddIfKnown(MetricFamily& family, const MetricLabels& labels, const std::optional<double>& value)
{
    if (value) {
        family.Add(labels, *value);
    }
}

std::optional<double> Code(const std::optional<unsigned int>& code)
{
    return code ? std::optional<double>(*code) : std::nullopt;
}

}  // namespace

AdapterMetrics::AdapterMetrics(bool withHosts, std::map<std::string, double> previousLastSuccess)
    : m_with_hosts_(withHosts),
      m_previous_last_success_(std::move(previousLastSuccess)),
      m_operation_status_(m_exposition_.Gauge(
          std::string(kPrefix) + "operation_status",
          "Status of the module operation in the latest run: 0 success, 1 a CIM step failed, 2 a firmware tool "
          "was not found, 3 a per-device tool query failed, 4 not available out-of-band.")),
      m_operation_duration_(m_exposition_.Gauge(std::string(kPrefix) + "operation_duration_seconds",
                                                "Time the module operation took in the latest run.")),
      m_last_success_(m_exposition_.Gauge(kLastSuccessFamily,
                                          "Time of the module operation's latest success, in seconds since the "
                                          "Unix epoch.")),
      m_pci_info_(m_exposition_.Gauge(std::string(kPrefix) + "pci_function_info",
                                      "A PCI function of a Mellanox adapter: its address, the adapter's address, "
                                      "kind, PCI vendor and device IDs (hex) and element name.")),
      m_pci_health_(m_exposition_.Gauge(std::string(kPrefix) + "pci_function_health_state",
                                        "CIM HealthState of the PCI function: 0 unknown, 5 OK, 10 degraded/warning, "
                                        "15 minor, 20 major, 25 critical failure, 30 non-recoverable error.")),
      m_pci_primary_status_(m_exposition_.Gauge(std::string(kPrefix) + "pci_function_primary_status",
                                                "CIM PrimaryStatus of the PCI function: 0 unknown, 1 OK, 2 degraded, "
                                                "3 error.")),
      m_pci_operational_status_(m_exposition_.Gauge(
          std::string(kPrefix) + "pci_function_operational_status",
          "First CIM OperationalStatus code of the PCI function: 2 OK, 3 degraded, 6 error, 10 stopped, ...")),
      m_port_info_(m_exposition_.Gauge(std::string(kPrefix) + "port_info",
                                       "A port of a Mellanox adapter: its link technology, element name and "
                                       "permanent address.")),
      m_port_link_up_(m_exposition_.Gauge(std::string(kPrefix) + "port_link_up",
                                          "1 when the port has a link, 0 when it is down.")),
      m_port_speed_(m_exposition_.Gauge(std::string(kPrefix) + "port_speed_bytes_per_second",
                                        "Active speed of the port (its bit rate divided by 8).")),
      m_port_max_speed_(m_exposition_.Gauge(std::string(kPrefix) + "port_max_speed_bytes_per_second",
                                            "Highest speed the port supports (its bit rate divided by 8).")),
      m_port_width_(m_exposition_.Gauge(std::string(kPrefix) + "port_link_width_lanes",
                                        "Active link width of the port in lanes (4 for 4X); absent when unknown.")),
      m_port_mtu_(m_exposition_.Gauge(std::string(kPrefix) + "port_mtu_bytes",
                                      "Active maximum transmission unit of the port.")),
      m_port_operational_status_(m_exposition_.Gauge(
          std::string(kPrefix) + "port_operational_status",
          "First CIM OperationalStatus code of the port: 2 OK, 3 degraded, 6 error, 10 stopped, ...")),
      m_identity_info_(m_exposition_.Gauge(std::string(kPrefix) + "software_identity_info",
                                           "Firmware, driver or tool of the adapters (GetSoftwareIdentities): "
                                           "classification, element name, version and software ID."))
{
    if (m_with_hosts_) {
        m_host_up_ = &m_exposition_.Gauge(std::string(kPrefix) + "host_up",
                                          "1 when the server's CIM server answered an inventory operation in the "
                                          "latest run, 0 otherwise.");
    }
}

MetricLabels AdapterMetrics::Labels(MetricLabels labels) const
{
    if (m_with_hosts_) {
        labels.insert(labels.begin(), {"host", m_host_});
    }
    return labels;
}

void AdapterMetrics::AddServer(const std::string& host, const ServerInventory& inventory)
{
    m_host_ = host;
    if (m_host_up_ != nullptr) {
        const bool answered = inventory.structuredInfo.status == 0 || inventory.softwareIdentities.status == 0;
        m_host_up_->Add(Labels({}), answered ? 1 : 0);
    }
    AddOperation("GetStructuredInfo", inventory.structuredInfo);
    AddOperation("GetSoftwareIdentities", inventory.softwareIdentities);
    AddPciFunctions(inventory.info.pci_devices);
    AddPorts(inventory.info.ports);
    AddIdentities(inventory.identities);
}

void AdapterMetrics::AddOperation(const std::string& name, const OperationRun& run)
{
    const MetricLabels labels = Labels({{"operation", name}});
    m_operation_status_.Add(labels, run.status);
    m_operation_duration_.Add(labels, run.durationSeconds);
    if (run.status == 0) {
        m_last_success_.Add(labels, run.finishedAt);
    } else {
        const auto previous = m_previous_last_success_.find(LabelText(labels));
        if (previous != m_previous_last_success_.end()) {
            m_last_success_.Add(labels, previous->second);
        }
    }
}

void AdapterMetrics::AddPciFunctions(const std::vector<Quillet::Mellanox::PCIDevice_>& functions)
{
    for (const Quillet::Mellanox::PCIDevice_& function : functions) {
        const std::string address = FunctionAddress(function);
        const MetricLabels labels = Labels({{"address", address}});
        // "vendor:device" in hex, as lspci -n writes them.
        const std::string ids = PciIds(function.vendor_ID, function.PCI_device_ID);
        const size_t colon = ids.find(':');
        m_pci_info_.Add(Labels({{"address", address},
                                {"adapter", AdapterAddress(address)},
                                {"kind", PciFunctionKind(function.type)},
                                {"vendor_id", ids.substr(0, colon)},
                                {"device_id", ids.substr(colon + 1)},
                                {"name", function.element_name}}),
                        1);
        AddIfKnown(m_pci_health_, labels, Code(HealthStateCode(function.health_state)));
        AddIfKnown(m_pci_primary_status_, labels, PrimaryStatusCode(function.primary_status));
        AddIfKnown(m_pci_operational_status_, labels, Code(OperationalStatusCode(function.operational_status)));
    }
}

void AdapterMetrics::AddPorts(const std::vector<Quillet::Mellanox::Port_>& ports)
{
    for (const Quillet::Mellanox::Port_& port : ports) {
        const MetricLabels labels = Labels({{"port", FirstOf(port.device_ID, port.name)}});
        MetricLabels infoLabels = labels;
        infoLabels.insert(infoLabels.end(), {{"technology", port.link_technology},
                                             {"name", port.element_name},
                                             {"permanent_address", HardwareAddress(port.permanent_address)}});
        m_port_info_.Add(infoLabels, 1);
        AddIfKnown(m_port_link_up_, labels, LinkUp(port));
        AddIfKnown(m_port_speed_, labels, Bytes(port.speed));
        AddIfKnown(m_port_max_speed_, labels, Bytes(port.max_speed));
        AddIfKnown(m_port_width_, labels, Lanes(port.link_width_active));
        AddIfKnown(m_port_mtu_, labels, Number(port.active_maximum_transmission_unit));
        AddIfKnown(m_port_operational_status_, labels, Code(OperationalStatusCode(port.operational_status)));
    }
}

void AdapterMetrics::AddIdentities(const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities)
{
    for (const Quillet::QLOptions::SoftwareIdentity_& identity : identities) {
        m_identity_info_.Add(Labels({{"classification", FirstOf(identity.classification_descriptions,
                                                                 identity.classifications)},
                                     {"name", identity.element_name},
                                     {"version", identity.version_string},
                                     {"software_id", identity.software_ID}}),
                             1);
    }
}

}  // namespace Quillet::Cli
