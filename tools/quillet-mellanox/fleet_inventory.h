#pragma once
#include <ostream>

#include "log_forwarding.h"
#include "tool_options.h"

namespace Quillet::Cli {

// Takes the inventory of every server in the hosts file out-of-band,
// `options.jobs` servers at a time, each with a module object of its own on
// its own thread. With --json, prints one JSON line per server as soon as it
// is done ({"host", "port", "status", and the inventory's lists}); otherwise
// one summary row per server, in file order, at the end. Log lines name the
// server they come from. Returns the worst (highest) status.
int RunFleetInventory(const ToolOptions& options, LogForwarding& log, std::ostream& out);

}  // namespace Quillet::Cli
