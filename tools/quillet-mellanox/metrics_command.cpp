#include "metrics_command.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <vector>

#include "adapter_metrics.h"
#include "connection_settings.h"
#include "host_list.h"
#include "mellanox.h"
#include "module_session.h"
#include "parallel_jobs.h"
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

std::string HostLabel(const HostEntry& server)
{
    const bool ipv6 = server.host.find(':') != std::string::npos;
    return (ipv6 ? "[" + server.host + "]" : server.host) + ":" + std::to_string(server.port);
}

int RunOnServer(const ToolOptions& options, std::ostream& out)
{
    AdapterMetrics metrics(false, PreviousLastSuccess(options));
    ServerInventory inventory;
    try {
        ModuleSession session(options);
        TakeInventory(session.Module(), inventory);
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

int RunOnFleet(const ToolOptions& options, LogForwarding& log, std::ostream& out)
{
    const std::vector<HostEntry> servers =
        ReadHostList(options.hostsFile, options.port != 0 ? options.port : DefaultCimPort(options.ssl));
    const std::string password = ObtainPassword(options, "the servers of " + options.hostsFile);

    std::vector<ServerInventory> inventories(servers.size());
    RunInParallel(servers.size(), options.jobs, [&](size_t i) {
        const std::string label = HostLabel(servers[i]);
        log.LabelThisThread(label);
        try {
            Quillet::Mellanox::Mellanox module(RemoteConnection(servers[i].host, servers[i].port, options, password));
            TakeInventory(module, inventories[i]);
        } catch (const std::exception& error) {
            WriteErrorLine(label + ": " + error.what());
        }
        log.ClearThisThreadLabel();
    });

    AdapterMetrics metrics(true, PreviousLastSuccess(options));
    int worst = 0;
    for (size_t i = 0; i < servers.size(); ++i) {
        metrics.AddServer(HostLabel(servers[i]), inventories[i]);
        worst = std::max(worst, WorstStatus(inventories[i]));
    }
    Publish(options, metrics, out);
    return worst;
}

}  // namespace

int RunMetrics(const ToolOptions& options, LogForwarding& log, std::ostream& out)
{
    if (!options.hostsFile.empty()) {
        return RunOnFleet(options, log, out);
    }
    return RunOnServer(options, out);
}

}  // namespace Quillet::Cli
