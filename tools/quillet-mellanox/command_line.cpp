#include "command_line.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "tool_error.h"

namespace Quillet::Cli {
namespace {

const char kDescription[] =
    "Runs one operation of the Mellanox adapter module the way the Quillet framework does: in-band on this "
    "server by default, out-of-band against a remote CIM server with --host, or against the bundled simulated "
    "CIM server with --simulate. The exit code is the operation's status: 0 success, 1 a CIM step failed, 2 a "
    "firmware tool was not found, 3 a per-device tool query failed, 4 not available out-of-band.";

const char kFooter[] =
    "Examples:\n"
    "  quillet-mellanox inventory --simulate\n"
    "  quillet-mellanox identities --host cim.example.net --user admin --password-file ~/.cimpw --ssl\n"
    "  quillet-mellanox inventory --hosts fleet.txt -j 8 --user admin --password-file ~/.cimpw --json\n"
    "  quillet-mellanox diag run 'MLNX_PCIeLinkTest|0000:03:00.0' --simulate\n"
    "  quillet-mellanox rawdata --root /opt/quillet --out ./service-data\n"
    "  quillet-mellanox metrics --textfile /var/lib/prometheus/node-exporter/quillet_mellanox.prom";

struct Subcommands {
    CLI::App* inventory;
    CLI::App* identities;
    CLI::App* diagList;
    CLI::App* diagRun;
    CLI::App* rawdata;
    CLI::App* metrics;
};

// Options shared by every operation; they may stand before or after the
// operation's name.
void AddGlobalOptions(CLI::App& app, ToolOptions& options, int& port)
{
    app.add_flag("--json", options.json, "print one JSON document instead of tables");
    app.add_option("--log-level", options.logLevel,
                   "show the module's log on stderr up to this level: 0 none, 1 errors (default), 2 missing CIM "
                   "data, 3 progress, 4 traces")
        ->check(CLI::Range(0, 4));

    auto* simulate = app.add_flag("--simulate", options.simulate,
                                  "start the bundled simulated CIM server (and use the fake firmware tools for "
                                  "rawdata) and run against it");
    app.add_option("--fixture", options.fixture, "fixture of the simulated server (default: the bundled one)")
        ->check(CLI::ExistingFile)
        ->needs(simulate);

    app.add_flag("--oob", options.outOfBand,
                 "out-of-band mode (implied by --host; with --simulate: against the simulator)");
    auto* host = app.add_option("--host", options.host, "remote CIM server: out-of-band mode");
    app.add_option("--port", port, "CIM server port (default 5988, or 5989 with --ssl)")->check(CLI::Range(1, 65535));
    app.add_option("--user", options.user, "user name for the CIM server");
    app.add_option("--password-file", options.passwordFile,
                   "file whose first line is the password (- reads stdin); without it, a terminal prompts");
    app.add_flag("--ssl", options.ssl, "connect over HTTPS");

    auto* hosts = app.add_option("--hosts", options.hostsFile,
                                 "inventory of many out-of-band servers: a file with one host[:port] per line, "
                                 "# starts a comment; prints one result per host");
    app.add_option("-j,--jobs", options.jobs, "servers inventoried at the same time with --hosts (default 4)")
        ->check(CLI::Range(1, 256))
        ->needs(hosts);

    hosts->excludes(host);
    hosts->excludes(simulate);
    simulate->excludes(host);
}

Subcommands AddSubcommands(CLI::App& app, ToolOptions& options)
{
    Subcommands commands{};
    commands.inventory = app.add_subcommand(
        "inventory", "the adapters' PCI functions, ports and firmware/software identities (GetStructuredInfo)");
    commands.identities = app.add_subcommand(
        "identities", "firmware, drivers and tools with their versions (GetSoftwareIdentities)");

    CLI::App* diag = app.add_subcommand("diag", "diagnostics of the adapters' CIM provider (in-band only)");
    diag->require_subcommand(1);
    commands.diagList = diag->add_subcommand("list", "names of the diagnostics offered (GetDiagItems)");
    commands.diagRun =
        diag->add_subcommand("run", "run one diagnostic to its end (GetDiagItems, then RunDiagnostic)");
    commands.diagRun->add_option("NAME", options.diagnosticName, "service|device, as 'diag list' prints it")
        ->required();

    commands.rawdata = app.add_subcommand(
        "rawdata", "service data from the vendor's firmware tools (GetRawData, in-band only)");
    commands.rawdata
        ->add_option("--root", options.rootDirectory,
                     "directory below which utilities/mellanox/WinMFT/ holds the tools (default: the module's "
                     "directory; with --simulate: the bundled fake tools)")
        ->check(CLI::ExistingDirectory);
    commands.rawdata->add_option("--out", options.outDirectory,
                                 "also write each record's content to DIR/<record name>");

    commands.metrics = app.add_subcommand(
        "metrics", "the adapters' health in Prometheus's text format (GetStructuredInfo, GetSoftwareIdentities)");
    commands.metrics->add_option("--textfile", options.textfile,
                                 "write it over this file in one step, for node_exporter's textfile collector");
    return commands;
}

Operation ChosenOperation(const Subcommands& commands)
{
    if (commands.identities->parsed()) return Operation::Identities;
    if (commands.diagList->parsed()) return Operation::DiagList;
    if (commands.diagRun->parsed()) return Operation::DiagRun;
    if (commands.rawdata->parsed()) return Operation::RawData;
    if (commands.metrics->parsed()) return Operation::Metrics;
    return Operation::Inventory;
}

// Combinations CLI11 cannot express; throws ToolError(Usage).
void CheckCombinations(const ToolOptions& options, bool portGiven)
{
    auto refuse = [](const std::string& message) { throw ToolError(ToolExit::Usage, message); };
    const bool fleet = !options.hostsFile.empty();
    if (fleet && options.operation != Operation::Inventory && options.operation != Operation::Metrics) {
        refuse("--hosts works with the inventory and metrics operations only");
    }
    if (options.json && options.operation == Operation::Metrics) {
        refuse("--json does not apply to metrics: it prints Prometheus's text format");
    }
    if (options.outOfBand && !options.simulate && options.host.empty() && !fleet) {
        refuse("--oob needs --host HOST (or --simulate to use the simulated server)");
    }
    if (options.simulate && portGiven) {
        refuse("--port cannot be combined with --simulate: the simulator takes a free port itself");
    }
    const bool remote = options.outOfBand || fleet;
    if (!remote) {
        // In-band, --ssl has a meaning only for the simulator: it speaks HTTPS.
        const char* remoteOnly = (options.ssl && !options.simulate) ? "--ssl"
                                 : !options.user.empty() ? "--user"
                                 : !options.passwordFile.empty() ? "--password-file"
                                 : portGiven ? "--port"
                                 : nullptr;
        if (remoteOnly != nullptr) {
            refuse(std::string(remoteOnly) +
                   " applies to out-of-band connections: add --host HOST, --hosts FILE or --simulate --oob");
        }
    }
    if (!options.passwordFile.empty() && options.user.empty()) {
        refuse("--password-file needs --user USER");
    }
    if (options.simulate && !options.user.empty() && (options.passwordFile.empty() || options.passwordFile == "-")) {
        refuse("--simulate with --user needs --password-file FILE: the simulator reads the same file");
    }
}

}  // namespace

std::optional<int> ParseCommandLine(int argc, char** argv, ToolOptions& options)
{
    CLI::App app(kDescription, "quillet-mellanox");
    app.footer(kFooter);
    app.require_subcommand(1);
    // Subcommands inherit this: global options may follow the operation's name.
    app.fallthrough();

    int port = 0;
    AddGlobalOptions(app, options, port);
    const Subcommands commands = AddSubcommands(app, options);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : static_cast<int>(ToolExit::Usage);
    }

    options.operation = ChosenOperation(commands);
    options.outOfBand = options.outOfBand || !options.host.empty();
    options.port = static_cast<uint16_t>(port);
    try {
        CheckCombinations(options, port != 0);
    } catch (const ToolError& error) {
        std::cerr << "quillet-mellanox: " << error.what() << "\n";
        return error.ExitCode();
    }
    return std::nullopt;
}

}  // namespace Quillet::Cli
