#pragma once
// Serves the requests of one accepted connection until the client closes it, a
// fault ends it, or it stays idle too long.

#include "server/server_state.h"
#include "wire/byte_stream.h"
#include "wire/tls_server_context.h"

#include <memory>

namespace mlnx_cimsim {

// Runs on its own thread; owns fd. tls is null for plain HTTP (always on the
// domain socket).
void serveConnection(int fd, const TlsServerContext* tls, ServerState& state, bool overDomainSocket);

}  // namespace mlnx_cimsim
