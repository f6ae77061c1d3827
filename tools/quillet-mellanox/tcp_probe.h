#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "host_failure.h"

namespace Quillet::Cli {

// A connected TCP socket, closed when the object goes.
class ConnectedSocket {
public:
    ConnectedSocket() = default;
    explicit ConnectedSocket(int fd) : m_fd_(fd) {}
    ~ConnectedSocket();
    ConnectedSocket(ConnectedSocket&& other) noexcept : m_fd_(other.m_fd_) { other.m_fd_ = -1; }
    ConnectedSocket& operator=(ConnectedSocket&& other) noexcept;
    ConnectedSocket(const ConnectedSocket&) = delete;
    ConnectedSocket& operator=(const ConnectedSocket&) = delete;

    int Fd() const { return m_fd_; }
    bool Connected() const { return m_fd_ >= 0; }

private:
    int m_fd_ = -1;
};

// Resolves `host` and connects to `port` on the first address that accepts,
// all within `timeout` (the name look-up included: a look-up that hangs is
// abandoned). On failure `failure` says why (unreachable or refused) and the
// socket is not connected.
ConnectedSocket ConnectWithin(const std::string& host, uint16_t port, std::chrono::milliseconds timeout,
                              HostFailure& failure);

}  // namespace Quillet::Cli
