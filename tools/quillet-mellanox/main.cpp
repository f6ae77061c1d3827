// quillet-mellanox: runs one operation of the Mellanox adapter module per
// call, the way the Quillet framework does. See README.md beside this file.
#include <exception>
#include <iostream>

#include "command_line.h"
#include "connection_settings.h"
#include "fleet_inventory.h"
#include "interrupt_handling.h"
#include "log_forwarding.h"
#include "metrics_command.h"
#include "module_session.h"
#include "operations.h"
#include "tool_error.h"

namespace {

int Run(const Quillet::Cli::ToolOptions& given, const Quillet::Cli::InterruptHandling& interrupts)
{
    Quillet::Cli::LogForwarding log(given.logLevel);
    // Before any connection: the module's connections check as the tool's
    // do, all against the CA file as it was checked.
    Quillet::Cli::ToolOptions options = given;
    options.caFile = Quillet::Cli::UseTrustStoreForAllConnections(given.caFile);
    if (options.operation == Quillet::Cli::Operation::Metrics) {
        return Quillet::Cli::RunMetrics(options, log, interrupts, std::cout);
    }
    if (!options.hostsFile.empty()) {
        return Quillet::Cli::RunFleetInventory(options, log, interrupts, std::cout);
    }
    // The session's end destroys the module object (in-band: the provider
    // module is stopped on the server) and stops a simulator: an interrupt
    // waits for that.
    Quillet::Cli::ModuleSession session(options);
    if (interrupts.Interrupted()) {
        return interrupts.ExitCode();
    }
    return Quillet::Cli::RunOperation(session, options, log, std::cout);
}

void AnnounceInterrupt(int signalNumber)
{
    Quillet::Cli::WriteErrorLine(std::string("\nquillet-mellanox: ") + Quillet::Cli::SignalName(signalNumber) +
                                 ": ending after the running step, then releasing the server "
                                 "(interrupt again to quit at once)");
}

}  // namespace

int main(int argc, char** argv)
{
    Quillet::Cli::ToolOptions options;
    if (const auto stop = Quillet::Cli::ParseCommandLine(argc, argv, options)) {
        return *stop;
    }
    const Quillet::Cli::InterruptHandling interrupts(AnnounceInterrupt);
    int code = 0;
    try {
        code = Run(options, interrupts);
    } catch (const Quillet::Cli::ToolError& error) {
        std::cerr << "quillet-mellanox: " << error.what() << "\n";
        code = error.ExitCode();
    } catch (const std::exception& error) {
        std::cerr << "quillet-mellanox: unexpected failure: " << error.what() << "\n";
        code = static_cast<int>(Quillet::Cli::ToolExit::Software);
    }
    return interrupts.Interrupted() ? interrupts.ExitCode() : code;
}
