#include "server/listener.h"

#include "server/connection_handler.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <utility>

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

Listener Listener::domainSocket(const std::string& path) {
    sockaddr_un local{};
    local.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof local.sun_path) {
        throw std::runtime_error("--unix " + path + ": the path is empty or too long");
    }
    path.copy(local.sun_path, path.size());
    Listener listener;
    listener.fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener.fd_ < 0) {
        throw std::runtime_error(std::string("socket() failed: ") + std::strerror(errno));
    }
    struct stat existing{};
    if (::lstat(path.c_str(), &existing) == 0 && S_ISSOCK(existing.st_mode)) {
        ::unlink(path.c_str());
    }
    if (::bind(listener.fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        throw std::runtime_error("cannot bind " + path + ": " + std::strerror(errno));
    }
    listener.path_ = path;
    ::chmod(path.c_str(), 0666);
    if (::listen(listener.fd_, 128) != 0) {
        throw std::runtime_error("cannot listen on " + path + ": " + std::strerror(errno));
    }
    return listener;
}

Listener::Listener(Listener&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), port_(other.port_), path_(std::move(other.path_)) {}

void Listener::removeSocketFile() const {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
    }
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
        state.stats.countConnection();
        if (state.faults.takeRefusal()) {
            state.stats.countRefused();
            refuse(client);
            continue;
        }
        const bool overDomainSocket = !path_.empty();
        if (!overDomainSocket) {
            int one = 1;
            ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        }
        std::thread(serveConnection, client, overDomainSocket ? nullptr : tls, std::ref(state), overDomainSocket)
            .detach();
    }
}

}  // namespace mlnx_cimsim
