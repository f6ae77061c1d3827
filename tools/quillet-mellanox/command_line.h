#pragma once
#include <optional>

#include "tool_options.h"

namespace Quillet::Cli {

// Parses and checks the command line. Returns the exit code to stop with when
// the call ends here (help printed: 0; usage error, already reported: 64),
// or nothing when `options` are ready to run.
std::optional<int> ParseCommandLine(int argc, char** argv, ToolOptions& options);

}  // namespace Quillet::Cli
