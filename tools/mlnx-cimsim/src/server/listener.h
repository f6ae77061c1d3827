#pragma once
// The listening socket and the accept loop; each connection gets its own thread.

#include "server/server_state.h"
#include "wire/tls_server_context.h"

#include <cstdint>
#include <string>

namespace mlnx_cimsim {

class Listener {
public:
    // Binds and listens at once; port 0 picks a free port. Throws std::runtime_error
    // naming the address when that fails.
    Listener(const std::string& address, uint16_t port);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    uint16_t port() const { return port_; }
    // Accepts until the process ends. tls may be null.
    [[noreturn]] void run(const TlsServerContext* tls, ServerState& state);

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

}  // namespace mlnx_cimsim
