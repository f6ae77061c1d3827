#pragma once
// Loopback endpoints for connection tests: a port where nothing listens, a
// bare listener opened on demand, and the local-server variable of the client library.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace CimFuncTesting {

// Owns a TCP socket bound to a loopback port.
class LoopbackSocket {
public:
    // Binds `port` (0 picks a free one); listens when asked to.
    LoopbackSocket(uint16_t port, bool listening) : m_fd_(socket(AF_INET, SOCK_STREAM, 0))
    {
        if (m_fd_ < 0) {
            throw std::runtime_error("socket() failed");
        }
        const int reuse = 1;
        setsockopt(m_fd_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (bind(m_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            (listening && listen(m_fd_, 4) != 0)) {
            close(m_fd_);
            throw std::runtime_error("cannot bind or listen on 127.0.0.1:" + std::to_string(port));
        }
        socklen_t length = sizeof address;
        getsockname(m_fd_, reinterpret_cast<sockaddr*>(&address), &length);
        m_port_ = ntohs(address.sin_port);
    }
    ~LoopbackSocket() { close(m_fd_); }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    uint16_t Port() const { return m_port_; }

private:
    int m_fd_;
    uint16_t m_port_ = 0;
};

// A loopback port with no listener: bound once to learn a free number, then closed.
inline uint16_t ClosedLoopbackPort()
{
    return LoopbackSocket(0, false).Port();
}

// Points the client library's local endpoint (connectLocal) at `url` for one test.
class ScopedLocalServer {
public:
    explicit ScopedLocalServer(const std::string& url)
    {
        const char* previous = getenv(kVariable);
        m_had_previous_ = previous != nullptr;
        m_previous_ = m_had_previous_ ? previous : "";
        setenv(kVariable, url.c_str(), 1);
    }
    ~ScopedLocalServer()
    {
        if (m_had_previous_) {
            setenv(kVariable, m_previous_.c_str(), 1);
        } else {
            unsetenv(kVariable);
        }
    }
    ScopedLocalServer(const ScopedLocalServer&) = delete;
    ScopedLocalServer& operator=(const ScopedLocalServer&) = delete;

private:
    static constexpr const char* kVariable = "QUILLET_CIMSERVER_LOCAL";
    bool m_had_previous_;
    std::string m_previous_;
};

}  // namespace CimFuncTesting
