// quillet-mellanox: runs one operation of the Mellanox adapter module per
// call, the way the Quillet framework does. See README.md beside this file.
#include <exception>
#include <iostream>

#include "command_line.h"
#include "fleet_inventory.h"
#include "log_forwarding.h"
#include "metrics_command.h"
#include "module_session.h"
#include "operations.h"
#include "tool_error.h"

namespace {

int Run(const Quillet::Cli::ToolOptions& options)
{
    Quillet::Cli::LogForwarding log(options.logLevel);
    if (options.operation == Quillet::Cli::Operation::Metrics) {
        return Quillet::Cli::RunMetrics(options, log, std::cout);
    }
    if (!options.hostsFile.empty()) {
        return Quillet::Cli::RunFleetInventory(options, log, std::cout);
    }
    Quillet::Cli::ModuleSession session(options);
    return Quillet::Cli::RunOperation(session, options, log, std::cout);
}

}  // namespace

int main(int argc, char** argv)
{
    Quillet::Cli::ToolOptions options;
    if (const auto stop = Quillet::Cli::ParseCommandLine(argc, argv, options)) {
        return *stop;
    }
    try {
        return Run(options);
    } catch (const Quillet::Cli::ToolError& error) {
        std::cerr << "quillet-mellanox: " << error.what() << "\n";
        return error.ExitCode();
    } catch (const std::exception& error) {
        std::cerr << "quillet-mellanox: unexpected failure: " << error.what() << "\n";
        return static_cast<int>(Quillet::Cli::ToolExit::Software);
    }
}
