#include "fleet_inventory.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "connection_settings.h"
#include "display_values.h"
#include "host_list.h"
#include "mellanox.h"
#include "record_json.h"
#include "result_tables.h"
#include "terminal.h"
#include "text_table.h"

namespace Quillet::Cli {
namespace {

const char kFirmwareClassification[] = "10";
const char kClearLine[] = "\r\033[K";

struct HostResult {
    HostEntry server;
    int status = 1;
    Quillet::Mellanox::StructuredInfo_ info;
    std::string error;  // an exception that left the module, if any
};

std::string ServerLabel(const HostEntry& server)
{
    const bool ipv6 = server.host.find(':') != std::string::npos;
    return (ipv6 ? "[" + server.host + "]" : server.host) + ":" + std::to_string(server.port);
}

void Inventory(const ToolOptions& options, const std::string& password, LogForwarding& log, HostResult& result)
{
    log.LabelThisThread(ServerLabel(result.server));
    try {
        Quillet::Mellanox::Mellanox module(
            RemoteConnection(result.server.host, result.server.port, options, password));
        result.status = module.GetStructuredInfo(result.info);
    } catch (const std::exception& error) {
        result.status = 1;
        result.error = error.what();
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
    if (!result.error.empty()) {
        line["error"] = result.error;
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

std::string SummaryText(const std::vector<HostResult>& results, int worst)
{
    TextTable table({"SERVER", "STATUS", "PCI FUNCTIONS", "PORTS", "FIRMWARE"});
    for (const HostResult& result : results) {
        table.AddRow({ServerLabel(result.server),
                      std::to_string(result.status) + (result.status == 0 ? "" : " " + StatusMeaning(result.status)),
                      std::to_string(result.info.pci_devices.size()), std::to_string(result.info.ports.size()),
                      result.error.empty() ? FirmwareVersions(result.info.software_identities) : result.error});
    }
    const size_t width = IsTerminal(STDOUT_FILENO) ? TerminalColumns(STDOUT_FILENO, 80) : 100000;
    return "Mellanox adapters of " + std::to_string(results.size()) + " servers - out-of-band\n\n" +
           table.Render(2, width) + "\nWorst status " + std::to_string(worst) + ": " + StatusMeaning(worst) + "\n";
}

void WriteToTerminal(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void ShowCount(size_t done, size_t total)
{
    WriteToTerminal(std::string(kClearLine) + "inventoried " + std::to_string(done) + " of " +
                    std::to_string(total) + " servers");
}

}  // namespace

int RunFleetInventory(const ToolOptions& options, LogForwarding& log, std::ostream& out)
{
    const std::vector<HostEntry> servers = ReadHostList(options.hostsFile, options.port != 0 ? options.port
                                                                                              : DefaultCimPort(options.ssl));
    const std::string password = ObtainPassword(options, "the servers of " + options.hostsFile);

    std::vector<HostResult> results(servers.size());
    for (size_t i = 0; i < servers.size(); ++i) {
        results[i].server = servers[i];
    }
    const bool showCount = !options.json && IsTerminal(STDERR_FILENO);
    std::mutex outputMutex;
    std::atomic<size_t> next{0};
    size_t done = 0;
    auto worker = [&]() {
        for (size_t i = next++; i < results.size(); i = next++) {
            Inventory(options, password, log, results[i]);
            std::lock_guard<std::mutex> lock(outputMutex);
            ++done;
            if (options.json) {
                out << JsonLine(results[i]) << std::flush;
            } else if (showCount) {
                ShowCount(done, results.size());
            }
        }
    };
    std::vector<std::thread> workers;
    const size_t parallel = std::min<size_t>(options.jobs, results.size());
    for (size_t i = 0; i < parallel; ++i) {
        workers.emplace_back(worker);
    }
    for (std::thread& thread : workers) {
        thread.join();
    }

    if (showCount) {
        WriteToTerminal(kClearLine);
    }
    int worst = 0;
    for (const HostResult& result : results) {
        worst = std::max(worst, result.status);
    }
    if (!options.json) {
        out << SummaryText(results, worst) << std::flush;
    }
    return worst;
}

}  // namespace Quillet::Cli
