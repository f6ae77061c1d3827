#include "server/listener.h"

#include "server/connection_handler.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace mlnx_cimsim {

namespace {

// Closes at once with a reset: to the client the attempt fails like a refusal.
void refuse(int fd) {
    linger hard{};
    hard.l_onoff = 1;
    hard.l_linger = 0;
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(fd);
}

}  // namespace

Listener::Listener(const std::string& address, uint16_t port) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
        throw std::runtime_error("--listen " + address + " is not an IPv4 address");
    }
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        throw std::runtime_error(std::string("socket() failed: ") + std::strerror(errno));
    }
    int one = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        int error = errno;
        ::close(fd_);
        throw std::runtime_error("cannot bind " + address + ":" + std::to_string(port) + ": " + std::strerror(error));
    }
    if (::listen(fd_, 128) != 0) {
        int error = errno;
        ::close(fd_);
        throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) + ": " +
                                 std::strerror(error));
    }
    socklen_t length = sizeof local;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
    port_ = ntohs(local.sin_port);
}

Listener::~Listener() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void Listener::run(const TlsServerContext* tls, ServerState& state) {
    for (;;) {
        int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE) {
                continue;
            }
            throw std::runtime_error(std::string("accept failed: ") + std::strerror(errno));
        }
        if (state.faults.takeRefusal()) {
            state.stats.countConnection();
            state.stats.countRefused();
            refuse(client);
            continue;
        }
        int one = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::thread(serveConnection, client, tls, std::ref(state)).detach();
    }
}

}  // namespace mlnx_cimsim
