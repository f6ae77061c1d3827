#pragma once
#include <chrono>
#include <optional>
#include <string>

#include "host_failure.h"
#include "tcp_probe.h"

namespace Quillet::Cli {

// Shakes hands over TLS 1.2 or later on `socket` within `timeout`. With a
// CA file the server's certificate chain must verify against it (the host
// name is not checked, as the framework's CIM client does not check it);
// without one any certificate is accepted. Returns the failure, if any.
std::optional<HostFailure> CheckTls(const ConnectedSocket& socket, const std::string& where,
                                    const std::string& caFile, std::chrono::milliseconds timeout);

}  // namespace Quillet::Cli
