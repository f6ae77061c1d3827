#include "fleet_inventory.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "connection_settings.h"
#include "display_values.h"
#include "failure_reason.h"
#include "fleet_servers.h"
#include "host_list.h"
#include "mellanox.h"
#include "parallel_jobs.h"
#include "record_json.h"
#include "server_check.h"
#include "terminal.h"
#include "text_table.h"

namespace Quillet::Cli {
namespace {

const char kFirmwareClassification[] = "10";
const char kClearLine[] = "\r\033[K";
const int kFailedStatus = 1;

struct HostResult {
    HostEntry server;
    bool done = false;
    int status = kFailedStatus;
    Quillet::Mellanox::StructuredInfo_ info;
    std::optional<HostFailure> failure;
};

std::string ServerLabel(const HostEntry& server)
{
    return ServerText(server.host, server.port);
}

void Inventory(const ToolOptions& options, const std::string& password, LogForwarding& log, HostResult& result)
{
    log.LabelThisThread(ServerLabel(result.server));
    log.TakeFirstErrorOfThisThread();
    const std::string& user = result.server.user.empty() ? options.user : result.server.user;
    const auto connection = RemoteConnection(result.server.host, result.server.port, user, password, options.ssl);
    try {
        const ServerCheckResult check =
            CheckServer(connection, options.caFile, std::chrono::seconds(options.connectTimeoutSeconds));
        if (check.failure) {
            result.failure = check.failure;
        } else {
            Quillet::Mellanox::Mellanox module(connection);
            result.status = module.GetStructuredInfo(result.info);
            if (result.status != 0) {
                result.failure =
                    ReasonOfFailedOperation(result.status, check.cimError, log.TakeFirstErrorOfThisThread());
            }
        }
    } catch (const std::exception& error) {
        result.status = kFailedStatus;
        result.failure = HostFailure{FailureKind::Failed, std::string("unexpected failure: ") + error.what()};
    }
    log.ClearThisThreadLabel();
}

std::string JsonLine(const HostResult& result)
{
    nlohmann::ordered_json line = {{"host", result.server.host}, {"port", result.server.port}};
    const nlohmann::ordered_json inventory = InventoryDocument(result.status, result.info);
    for (const auto& [key, value] : inventory.items()) {
        line[key] = value;
    }
    if (result.failure) {
        line["error"] = FailureDocument(*result.failure);
    }
    return ToJsonText(line, -1) + "\n";
}

std::string FirmwareVersions(const std::vector<Quillet::QLOptions::SoftwareIdentity_>& identities)
{
    std::set<std::string> versions;
    for (const auto& identity : identities) {
        if (identity.classifications == kFirmwareClassification && !identity.version_string.empty()) {
            versions.insert(identity.version_string);
        }
    }
    std::string text;
    for (const std::string& version : versions) {
        text += (text.empty() ? "" : ", ") + version;
    }
    return text;
}

std::string SummaryText(const std::vector<const HostResult*>& finished, size_t total, int worst)
{
    const size_t failed = static_cast<size_t>(std::count_if(
        finished.begin(), finished.end(), [](const HostResult* result) { return result->status != 0; }));
    TextTable table({"SERVER", "STATUS", "PCI FUNCTIONS", "PORTS", "FIRMWARE", "REASON"});
    table.SetKeyColumns({"SERVER", "STATUS"});
    table.SetFlexible({"FIRMWARE", "REASON"});
    for (const HostResult* result : finished) {
        table.AddRow({ServerLabel(result->server), std::to_string(result->status),
                      std::to_string(result->info.pci_devices.size()), std::to_string(result->info.ports.size()),
                      FirmwareVersions(result->info.software_identities),
                      result->failure ? FailureText(*result->failure) : std::string()});
    }
    std::string text = "Mellanox adapters of " + std::to_string(total) + " servers - out-of-band\n\n";
    if (finished.size() < total) {
        text = "Mellanox adapters of " + std::to_string(finished.size()) + " of " + std::to_string(total) +
               " servers (interrupted) - out-of-band\n\n";
    }
    if (!finished.empty()) {
        text += table.Render(2, OutputColumns(STDOUT_FILENO));
    }
    if (worst == 0) {
        return text + "\nWorst status 0: success\n";
    }
    return text + "\nWorst status " + std::to_string(worst) + ": " + std::to_string(failed) + " of " +
           std::to_string(finished.size()) + " servers failed (see REASON)\n";
}

void WriteToTerminal(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// "inventoried 3 of 20 servers" kept on the last line of the terminal; log
// lines are written above it, never into it.
class FleetCounter {
public:
    FleetCounter(bool shown, size_t total, LogForwarding& log) : m_shown_(shown), m_total_(total), m_log_(log)
    {
        if (m_shown_) {
            m_log_.StartWatching(0, LogForwarding::Watcher(), [this](const std::string& line) {
                std::lock_guard<std::mutex> lock(m_mutex_);
                WriteToTerminal(kClearLine + line + "\n" + CountLine());
            });
        }
    }
    ~FleetCounter()
    {
        if (m_shown_) {
            m_log_.StopWatching();
            WriteToTerminal(kClearLine);
        }
    }
    FleetCounter(const FleetCounter&) = delete;
    FleetCounter& operator=(const FleetCounter&) = delete;

    void OneMoreDone()
    {
        std::lock_guard<std::mutex> lock(m_mutex_);
        ++m_done_;
        if (m_shown_) {
            WriteToTerminal(kClearLine + CountLine());
        }
    }

private:
    std::string CountLine() const
    {
        return "inventoried " + std::to_string(m_done_) + " of " + std::to_string(m_total_) + " servers";
    }

    const bool m_shown_;
    const size_t m_total_;
    LogForwarding& m_log_;
    std::mutex m_mutex_;
    size_t m_done_ = 0;
};

}  // namespace

int RunFleetInventory(const ToolOptions& options, LogForwarding& log, const InterruptHandling& interrupts,
                      std::ostream& out)
{
    const HostList list = ReadFleetServers(options, "inventoried");
    const FleetPasswords passwords(options, list.hosts);

    std::vector<HostResult> results(list.hosts.size());
    for (size_t i = 0; i < list.hosts.size(); ++i) {
        results[i].server = list.hosts[i];
    }
    std::mutex outputMutex;
    {
        FleetCounter counter(!options.json && IsTerminal(STDERR_FILENO), results.size(), log);
        RunInParallel(results.size(), options.jobs, [&](size_t i) {
            // After an interrupt no further server is started; those running finish.
            if (interrupts.Interrupted()) {
                return;
            }
            Inventory(options, passwords.For(results[i].server), log, results[i]);
            std::lock_guard<std::mutex> lock(outputMutex);
            results[i].done = true;
            if (options.json) {
                out << JsonLine(results[i]) << std::flush;
            }
            counter.OneMoreDone();
        });
    }

    int worst = 0;
    std::vector<const HostResult*> finished;
    for (const HostResult& result : results) {
        if (result.done) {
            worst = std::max(worst, result.status);
            finished.push_back(&result);
        }
    }
    if (finished.size() < results.size()) {
        WriteErrorLine("quillet-mellanox: interrupted: " + std::to_string(results.size() - finished.size()) + " of " +
                       std::to_string(results.size()) + " servers were not inventoried");
    }
    if (!options.json) {
        out << SummaryText(finished, results.size(), worst) << std::flush;
    }
    return worst;
}

}  // namespace Quillet::Cli
