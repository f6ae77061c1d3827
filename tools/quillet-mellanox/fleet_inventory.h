#pragma once
#include <ostream>

#include "interrupt_handling.h"
#include "log_forwarding.h"
#include "tool_options.h"

namespace Quillet::Cli {

// Takes the inventory of every server in the hosts file out-of-band,
// `options.jobs` servers at a time, each with a module object of its own on
// its own thread, after the tool's own check of the server. With --json,
// prints one JSON line per server as soon as it is done ({"host", "port",
// "status", the inventory's lists, and "error": {"kind", "message"} when it
// failed}); otherwise one summary row per server, in file order, at the end.
// Log lines name the server they come from. After an interrupt no further
// server is started and the summary covers those finished. Returns the worst
// (highest) status of the servers finished.
int RunFleetInventory(const ToolOptions& options, LogForwarding& log, const InterruptHandling& interrupts,
                      std::ostream& out);

}  // namespace Quillet::Cli
