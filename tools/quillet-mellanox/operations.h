#pragma once
#include <ostream>

#include "log_forwarding.h"
#include "module_session.h"
#include "tool_options.h"

namespace Quillet::Cli {

// Runs the operation the options name on the session's module, prints its
// result to `out` (tables, or one JSON document with --json) and returns the
// operation's status.
int RunOperation(ModuleSession& session, const ToolOptions& options, LogForwarding& log, std::ostream& out);

}  // namespace Quillet::Cli
