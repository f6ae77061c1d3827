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
    // A local domain socket at `path` (a stale socket file there is replaced), readable
    // and writable by everyone as OpenPegasus's is; the file is removed by
    // removeSocketFile().
    static Listener domainSocket(const std::string& path);
    Listener(Listener&& other) noexcept;
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    uint16_t port() const { return port_; }
    const std::string& socketPath() const { return path_; }
    // Accepts until the process ends. tls may be null (and is, on a domain socket).
    [[noreturn]] void run(const TlsServerContext* tls, ServerState& state);
    void removeSocketFile() const;

private:
    Listener() = default;

    int fd_ = -1;
    uint16_t port_ = 0;
    std::string path_;  // of a domain socket
};

}  // namespace mlnx_cimsim
