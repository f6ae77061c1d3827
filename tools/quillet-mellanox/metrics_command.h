#pragma once
#include <ostream>

#include "interrupt_handling.h"
#include "log_forwarding.h"
#include "tool_options.h"

namespace Quillet::Cli {

// `metrics`: one GetStructuredInfo and one GetSoftwareIdentities (per server
// with --hosts), printed to `out` in Prometheus's text exposition format, or
// with --textfile written over that file in one step. When the module cannot
// even be reached (the simulator does not start, say), the textfile is still
// rewritten with the failed statuses before the failure is reported, so that
// no adapter series of an earlier run survive. Returns the worst status.
int RunMetrics(const ToolOptions& options, LogForwarding& log, const InterruptHandling& interrupts,
               std::ostream& out);

}  // namespace Quillet::Cli
