#pragma once
#include <map>
#include <string>
#include <vector>

#include "metrics_exposition.h"
#include "software_identity.h"
#include "structured_info.h"

namespace Quillet::Cli {

// The family that a later run carries over when an operation fails.
extern const char kLastSuccessFamily[];

// One call of a module operation.
struct OperationRun {
    int status = 1;
    double durationSeconds = 0;
    double finishedAt = 0;  // seconds since the Unix epoch
};

// What one server's inventory run gathered; a run that never reached the
// module leaves the defaults (failed, nothing read).
struct ServerInventory {
    OperationRun structuredInfo;
    Quillet::Mellanox::StructuredInfo_ info;
    OperationRun softwareIdentities;
    std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
};

// The adapters' health in Prometheus's text exposition format: every family
// is declared (HELP, TYPE) whatever the runs found, so a failed run still
// says what failed and carries no adapter series of an earlier run.
class AdapterMetrics {
public:
    // `withHosts`: every series gets a "host" label and every server a
    // reachability series. `previousLastSuccess`: the samples of
    // kLastSuccessFamily of the previous run, keyed by their LabelText, kept
    // for operations that fail now.
    AdapterMetrics(bool withHosts, std::map<std::string, double> previousLastSuccess);

    // `host` is ignored without hosts.
    void AddServer(const std::string& host, const ServerInventory& inventory);

    std::string Text() const { return m_exposition_.Text(); }

private:
    MetricLabels Labels(MetricLabels labels) const;
    void AddPciFunctions(const std::vector<Quillet::Mellanox::PCIDevice_>& functions);
    void AddPorts(const std::vector<Quillet::Mellanox::Port_>& ports);
    void AddIdentities(const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities);
    void AddOperation(const std::string& name, const OperationRun& run);

    bool m_with_hosts_;
    std::map<std::string, double> m_previous_last_success_;
    std::string m_host_;  // of the server being added
    MetricsExposition m_exposition_;
    MetricFamily* m_host_up_ = nullptr;
    MetricFamily& m_operation_status_;
    MetricFamily& m_operation_duration_;
    MetricFamily& m_last_success_;
    MetricFamily& m_pci_info_;
    MetricFamily& m_pci_health_;
    MetricFamily& m_pci_primary_status_;
    MetricFamily& m_pci_operational_status_;
    MetricFamily& m_port_info_;
    MetricFamily& m_port_link_up_;
    MetricFamily& m_port_speed_;
    MetricFamily& m_port_max_speed_;
    MetricFamily& m_port_width_;
    MetricFamily& m_port_mtu_;
    MetricFamily& m_port_operational_status_;
    MetricFamily& m_identity_info_;
};

}  // namespace Quillet::Cli
