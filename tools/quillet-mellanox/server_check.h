#pragma once
#include <chrono>
#include <optional>
#include <string>

#include "connection_info.h"
#include "host_failure.h"

namespace Quillet::Cli {

struct ServerCheckResult {
    // Set when the module need not be asked: it would fail the same way,
    // slower (its connection makes three attempts with pauses).
    std::optional<HostFailure> failure;
    // A CIM error met on the way; names the code should the module fail.
    std::optional<HostFailure> cimError;
};

// The tool's own look at an out-of-band server before the module connects:
// the name resolves and the port accepts a TCP connection within `timeout`;
// with TLS the handshake succeeds (and, when `caFile` is given, the chain
// verifies against it and the certificate names the host); one small CIM
// request with the credentials is not rejected (through our client library,
// which verifies its own connections alike once UseTrustStoreForAllConnections
// has run).
ServerCheckResult CheckServer(const Quillet::QuilletConnection::ConnectionInfo& connection,
                              const std::string& caFile, std::chrono::milliseconds timeout);

// "host:port", "[v6]:port".
std::string ServerText(const std::string& host, uint16_t port);

}  // namespace Quillet::Cli
