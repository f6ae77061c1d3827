#include "tcp_probe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace Quillet::Cli {
namespace {

using Clock = std::chrono::steady_clock;

struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int result = 0;
    addrinfo* addresses = nullptr;
    ~Lookup()
    {
        if (addresses != nullptr) freeaddrinfo(addresses);
    }
};

// getaddrinfo has no time-out of its own: it runs on a thread of its own that
// is left behind when it takes too long, and cleans up after itself.
std::shared_ptr<Lookup> Resolve(const std::string& host, uint16_t port, Clock::time_point deadline)
{
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, port] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* addresses = nullptr;
        const int result = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses);
        std::lock_guard<std::mutex> lock(lookup->mutex);
        lookup->result = result;
        lookup->addresses = addresses;
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(lookup->mutex);
    lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; });
    return lookup;
}

std::string Seconds(std::chrono::milliseconds timeout)
{
    const long long ms = timeout.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

// 0 when connected, else the errno of the failure (ETIMEDOUT at the deadline).
int ConnectOne(const addrinfo& address, Clock::time_point deadline, int& fd)
{
    fd = socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address.ai_protocol);
    if (fd < 0) {
        return errno;
    }
    if (connect(fd, address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) {
        return errno;
    }
    pollfd writable{fd, POLLOUT, 0};
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return ETIMEDOUT;
        }
        const int ready = poll(&writable, 1, static_cast<int>(left));
        if (ready > 0) {
            break;
        }
        if (ready < 0 && errno != EINTR) {
            return errno;
        }
    }
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
    if (error == 0) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return error;
}

}  // namespace

ConnectedSocket::~ConnectedSocket()
{
    if (m_fd_ >= 0) close(m_fd_);
}

ConnectedSocket& ConnectedSocket::operator=(ConnectedSocket&& other) noexcept
{
    if (this != &other) {
        if (m_fd_ >= 0) close(m_fd_);
        m_fd_ = other.m_fd_;
        other.m_fd_ = -1;
    }
    return *this;
}

ConnectedSocket ConnectWithin(const std::string& host, uint16_t port, std::chrono::milliseconds timeout,
                              HostFailure& failure)
{
    const Clock::time_point deadline = Clock::now() + timeout;
    const std::string where = host + " port " + std::to_string(port);
    const std::shared_ptr<Lookup> lookup = Resolve(host, port, deadline);
    {
        std::lock_guard<std::mutex> lock(lookup->mutex);
        if (!lookup->finished) {
            failure = {FailureKind::Unreachable,
                       "the name '" + host + "' did not resolve within " + Seconds(timeout)};
            return ConnectedSocket();
        }
        if (lookup->result != 0) {
            failure = {FailureKind::Unreachable,
                       "cannot resolve '" + host + "': " + gai_strerror(lookup->result)};
            return ConnectedSocket();
        }
    }
    // The look-up is finished: its addresses are ours to read.
    int lastError = ETIMEDOUT;
    for (const addrinfo* address = lookup->addresses; address != nullptr; address = address->ai_next) {
        int fd = -1;
        lastError = ConnectOne(*address, deadline, fd);
        ConnectedSocket socket(fd);
        if (lastError == 0) {
            return socket;
        }
        if (lastError == ETIMEDOUT) {
            break;
        }
    }
    if (lastError == ECONNREFUSED) {
        failure = {FailureKind::Refused, "connection refused by " + where + " (no CIM server listens there)"};
    } else if (lastError == ECONNRESET) {
        failure = {FailureKind::Refused, "connection reset by " + where + " (the server refuses connections)"};
    } else if (lastError == ETIMEDOUT) {
        failure = {FailureKind::Unreachable, "no answer from " + where + " within " + Seconds(timeout)};
    } else {
        failure = {FailureKind::Unreachable, "cannot connect to " + where + ": " + std::strerror(lastError)};
    }
    return ConnectedSocket();
}

}  // namespace Quillet::Cli
