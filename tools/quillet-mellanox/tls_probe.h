#pragma once
#include <chrono>
#include <optional>
#include <string>

#include "host_failure.h"
#include "tcp_probe.h"

namespace Quillet::Cli {

// Shakes hands over TLS 1.2 or later on `socket` within `timeout`. With a
// CA file the server's certificate chain must verify against it and the
// certificate must name `host` (its DNS name, or its IP address when `host`
// is one), as every later connection of the run checks it too; without one
// any certificate is accepted. Returns the failure, if any.
std::optional<HostFailure> CheckTls(const ConnectedSocket& socket, const std::string& where, const std::string& host,
                                    const std::string& caFile, std::chrono::milliseconds timeout);

}  // namespace Quillet::Cli
