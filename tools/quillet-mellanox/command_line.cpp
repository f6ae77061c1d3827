#include "command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "host_name_check.h"
#include "tool_error.h"

namespace Quillet::Cli {
namespace {

const char kDescription[] =
    "Runs one operation of the Mellanox adapter module the way the Quillet framework does: in-band on this "
    "server by default, out-of-band against a remote CIM server with --host, or against the bundled simulated "
    "CIM server with --simulate.";

const char kOperations[] = "inventory, identities, diag list, diag run NAME, rawdata";

const char kExitCodes[] =
    "Exit codes:\n"
    "  0    success\n"
    "  1    a CIM step failed, or the server could not be reached (the reason is printed)\n"
    "  2    a firmware tool was not found\n"
    "  3    a per-device tool query failed\n"
    "  4    not available out-of-band\n"
    "  5    diag run: the diagnostic ran and its result is not OK\n"
    "  6    diag run: no diagnostic matches the name (see diag list)\n"
    "  64   bad command line or hosts file\n"
    "  65   a password file holds no password\n"
    "  66   a password, hosts or CA file cannot be read or is refused\n"
    "  69   the simulator cannot be started\n"
    "  70   unexpected failure inside the tool\n"
    "  73   an --out file or directory cannot be written\n"
    "  130  interrupted by SIGINT (Ctrl-C) or the password prompt cancelled; 143 SIGTERM; 129 SIGHUP\n"
    "With --hosts the exit code is the worst status of the servers.\n\n";

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
                   "file whose first line is the password (- reads stdin): a regular file of root's or yours, "
                   "mode 600, at most 4 KiB; without it, a terminal prompts");
    auto* ssl = app.add_flag("--ssl", options.ssl,
                             "connect over HTTPS; the module does NOT verify the server's certificate (the "
                             "framework's choice): add --verify-cert to have every connection check it");
    app.add_option("--verify-cert", options.caFile,
                   "with --ssl: every TLS connection of the run (the tool's checks and the module's) verifies the "
                   "server's certificate chain against the CA certificates in this PEM file and the host name or "
                   "IP address; one that does not verify is refused before any credentials are sent")
        ->check(CLI::ExistingFile)
        ->needs(ssl);
    app.add_option("--connect-timeout", options.connectTimeoutSeconds,
                   "seconds within which an out-of-band server's name must resolve and its port accept a TCP "
                   "connection, checked by the tool before the module connects (default 5)")
        ->check(CLI::Range(1, 600));

    auto* hosts = app.add_option("--hosts", options.hostsFile,
                                 "inventory of many out-of-band servers: a file with one host[:port] per line, "
                                 "optionally followed by user=NAME password-file=FILE; # starts a comment; prints "
                                 "one result per host");
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

// Subcommands inherit the global options (fallthrough) but their help would
// not list them: it does now.
std::string GlobalOptionsText(const CLI::App& app)
{
    std::string text = "Options of every operation (before or after its name):\n";
    for (const CLI::Option* option : app.get_options()) {
        const std::string names = option->get_name(false, true);
        if (names.find("--help") != std::string::npos) {
            continue;
        }
        const std::string type = option->get_type_name();
        std::string line = "  " + names + (option->get_type_size() != 0 ? " " + type.substr(0, type.find(':')) : "");
        line.resize(std::max<size_t>(line.size() + 2, 32), ' ');
        text += line + option->get_description() + "\n";
    }
    return text;
}

void ListGlobalOptionsInSubcommandHelp(CLI::App& app)
{
    const std::string text = GlobalOptionsText(app);
    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        command->footer(text);
        for (CLI::App* nested : command->get_subcommands([](CLI::App*) { return true; })) {
            nested->footer(text);
        }
    }
}

size_t EditDistance(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The closest of `candidates` to `word`, when close enough to be a typo.
std::string Closest(const std::string& word, const std::vector<std::string>& candidates)
{
    const size_t kLargestTypo = 3;
    std::string best;
    size_t bestDistance = kLargestTypo + 1;
    for (const std::string& candidate : candidates) {
        const size_t distance = EditDistance(word, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

void CollectLongOptionNames(CLI::App& app, std::vector<std::string>& names)
{
    for (const CLI::Option* option : app.get_options()) {
        for (const std::string& name : option->get_lnames()) {
            names.push_back("--" + name);
        }
    }
    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        CollectLongOptionNames(*command, names);
    }
}

// The parser's complaint in our words: which word is wrong, and what works.
std::string UsageProblem(CLI::App& app, const CLI::ParseError& error)
{
    std::vector<std::string> words = app.remaining();
    for (const CLI::App* command : app.get_subcommands()) {
        const std::vector<std::string> more = command->remaining();
        words.insert(words.end(), more.begin(), more.end());
    }
    const std::string word = words.empty() ? std::string() : words.front();
    if (word == "--password" || word.rfind("--password=", 0) == 0) {
        return "there is no --password option: a password on the command line is seen by every user of this "
               "server; use --password-file FILE (its first line), --password-file - (standard input), or leave "
               "it out to be asked on the terminal";
    }
    if (!word.empty() && word.front() == '-') {
        std::vector<std::string> optionNames;
        CollectLongOptionNames(app, optionNames);
        const std::string closest = Closest(word.substr(0, word.find('=')), optionNames);
        return "unknown option '" + word + "'" + (closest.empty() ? "" : "; did you mean " + closest + "?") +
               " (see quillet-mellanox --help)";
    }
    const std::vector<std::string> operations{"inventory", "identities", "diag", "rawdata", "list", "run"};
    if (!word.empty()) {
        const std::string closest = Closest(word, operations);
        return "unknown operation '" + word + "'; " + (closest.empty() ? "" : "did you mean " + closest + "? ") +
               "The operations are: " + kOperations;
    }
    const std::string what = error.what();
    if (what.rfind("--host:", 0) == 0 && what.find("missing") != std::string::npos) {
        return "--host '' " + HostNameProblem(std::string());
    }
    if (what.find("subcommand") != std::string::npos && app.got_subcommand("diag")) {
        return "diag needs what to do: diag list, or diag run NAME (see quillet-mellanox diag --help)";
    }
    if (what.find("subcommand") != std::string::npos) {
        return "no operation given: choose one of " + std::string(kOperations) + " (see quillet-mellanox --help)";
    }
    return what + " (see quillet-mellanox --help)";
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
void CheckCombinations(const ToolOptions& options, bool portGiven, bool hostGiven)
{
    auto refuse = [](const std::string& message) { throw ToolError(ToolExit::Usage, message); };
    if (hostGiven) {
        const std::string problem = HostNameProblem(options.host);
        if (!problem.empty()) {
            refuse("--host '" + options.host + "' " + problem);
        }
    }
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
                                 : !options.caFile.empty() ? "--verify-cert"
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
    app.footer(std::string(kExitCodes) + kFooter);
    app.set_version_flag("--version", std::string("quillet-mellanox ") + QUILLET_MELLANOX_VERSION,
                         "print the version and exit");
    app.require_subcommand(1);
    // Subcommands inherit this: global options may follow the operation's name.
    app.fallthrough();

    int port = 0;
    AddGlobalOptions(app, options, port);
    const Subcommands commands = AddSubcommands(app, options);
    ListGlobalOptionsInSubcommandHelp(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {
        return app.exit(done);  // help or version printed
    } catch (const CLI::ParseError& error) {
        std::cerr << "quillet-mellanox: " << UsageProblem(app, error) << "\n";
        return static_cast<int>(ToolExit::Usage);
    }

    options.operation = ChosenOperation(commands);
    const bool hostGiven = app.count("--host") > 0;
    options.outOfBand = options.outOfBand || hostGiven;
    options.port = static_cast<uint16_t>(port);
    try {
        CheckCombinations(options, port != 0, hostGiven);
        options.host = WithoutBrackets(options.host);
    } catch (const ToolError& error) {
        std::cerr << "quillet-mellanox: " << error.what() << "\n";
        return error.ExitCode();
    }
    return std::nullopt;
}

}  // namespace Quillet::Cli
