#include "metrics_command.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <vector>

#include "adapter_metrics.h"
#include "connection_settings.h"
#include "fleet_servers.h"
#include "host_list.h"
#include "mellanox.h"
#include "module_session.h"
#include "parallel_jobs.h"
#include "server_check.h"
#include "textfile_writer.h"

namespace Quillet::Cli {
namespace {

template <typename Call>
OperationRun Timed(Call call)
{
    const auto start = std::chrono::steady_clock::now();
    OperationRun run;
    run.status = call();
    run.durationSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.finishedAt = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    return run;
}

void TakeInventory(Quillet::Mellanox::Mellanox& module, ServerInventory& inventory)
{
    inventory.structuredInfo = Timed([&] { return module.GetStructuredInfo(inventory.info); });
    inventory.softwareIdentities = Timed([&] { return module.GetSoftwareIdentities(inventory.identities); });
}

int WorstStatus(const ServerInventory& inventory)
{
    return std::max(inventory.structuredInfo.status, inventory.softwareIdentities.status);
}

std::map<std::string, double> PreviousLastSuccess(const ToolOptions& options)
{
    if (options.textfile.empty()) {
        return {};
    }
    return ReadPreviousSamples(options.textfile, kLastSuccessFamily);
}

void Publish(const ToolOptions& options, const AdapterMetrics& metrics, std::ostream& out)
{
    if (options.textfile.empty()) {
        out << metrics.Text() << std::flush;
    } else {
        WriteTextfileAtomically(options.textfile, metrics.Text());
    }
}

void ReportFailure(const std::string& server, const HostFailure& failure)
{
    WriteErrorLine("quillet-mellanox: " + server + ": " + FailureText(failure));
}

int RunOnServer(const ToolOptions& options, std::ostream& out)
{
    AdapterMetrics metrics(false, PreviousLastSuccess(options));
    ServerInventory inventory;
    try {
        ModuleSession session(options);
        if (session.Failure()) {
            // The server check failed: the module was not asked, both operations count as failed.
            ReportFailure(session.Target(), *session.Failure());
        } else {
            TakeInventory(session.Module(), inventory);
        }
    } catch (const std::exception&) {
        if (!options.textfile.empty()) {
            metrics.AddServer(std::string(), inventory);
            Publish(options, metrics, out);
        }
        throw;
    }
    metrics.AddServer(std::string(), inventory);
    Publish(options, metrics, out);
    return WorstStatus(inventory);
}

void InventoryOfServer(const ToolOptions& options, const HostEntry& server, const std::string& password,
                       ServerInventory& inventory)
{
    const std::string& user = server.user.empty() ? options.user : server.user;
    const auto connection = RemoteConnection(server.host, server.port, user, password, options.ssl);
    const ServerCheckResult check =
        CheckServer(connection, options.caFile, std::chrono::seconds(options.connectTimeoutSeconds));
    if (check.failure) {
        ReportFailure(ServerText(server.host, server.port), *check.failure);
        return;
    }
    Quillet::Mellanox::Mellanox module(connection);
    TakeInventory(module, inventory);
}

int RunOnFleet(const ToolOptions& options, LogForwarding& log, const InterruptHandling& interrupts,
               std::ostream& out)
{
    const HostList list = ReadFleetServers(options, "measured");
    const FleetPasswords passwords(options, list.hosts);

    std::vector<ServerInventory> inventories(list.hosts.size());
    RunInParallel(list.hosts.size(), options.jobs, [&](size_t i) {
        // After an interrupt no further server is started; its series show it failed.
        if (interrupts.Interrupted()) {
            return;
        }
        const HostEntry& server = list.hosts[i];
        log.LabelThisThread(ServerText(server.host, server.port));
        try {
            InventoryOfServer(options, server, passwords.For(server), inventories[i]);
        } catch (const std::exception& error) {
            WriteErrorLine(ServerText(server.host, server.port) + ": " + error.what());
        }
        log.ClearThisThreadLabel();
    });

    AdapterMetrics metrics(true, PreviousLastSuccess(options));
    int worst = 0;
    for (size_t i = 0; i < list.hosts.size(); ++i) {
        metrics.AddServer(ServerText(list.hosts[i].host, list.hosts[i].port), inventories[i]);
        worst = std::max(worst, WorstStatus(inventories[i]));
    }
    Publish(options, metrics, out);
    return worst;
}

}  // namespace

int RunMetrics(const ToolOptions& options, LogForwarding& log, const InterruptHandling& interrupts,
               std::ostream& out)
{
    if (!options.hostsFile.empty()) {
        return RunOnFleet(options, log, interrupts, out);
    }
    return RunOnServer(options, out);
}

}  // namespace Quillet::Cli
