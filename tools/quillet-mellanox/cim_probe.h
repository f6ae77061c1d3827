#pragma once
#include <chrono>
#include <optional>
#include <string>

#include "connection_info.h"
#include "host_failure.h"

namespace Quillet::Cli {

// What one small CIM request with the module's connection settings showed:
// names of the vendor's PCI functions, asked through our CIM client library.
struct CimProbeResult {
    // A failure that makes the module's own attempt pointless: the connection
    // reset, broken off or timed out, the TLS handshake failed, the
    // credentials were rejected, an HTTP error.
    std::optional<HostFailure> blocking;
    // A CIM error the server answered with: the module still runs (it reads
    // other classes too), and this names the code should it fail.
    std::optional<HostFailure> cimError;
};

CimProbeResult ProbeCim(const Quillet::QuilletConnection::ConnectionInfo& connection,
                        std::chrono::milliseconds timeout);

}  // namespace Quillet::Cli
