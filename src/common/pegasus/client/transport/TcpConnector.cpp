#include "TcpConnector.h"

#include "../ClientErrors.h"
#include "HttpTransport.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace Pegasus {
namespace ClientDetail {

UniqueSocket& UniqueSocket::operator=(UniqueSocket&& other) noexcept
{
    if (this != &other)
    {
        if (_fd >= 0)
            ::close(_fd);
        _fd = other.release();
    }
    return *this;
}

UniqueSocket::~UniqueSocket()
{
    if (_fd >= 0)
        ::close(_fd);
}

int UniqueSocket::release()
{
    int fd = _fd;
    _fd = -1;
    return fd;
}

namespace {

using Clock = std::chrono::steady_clock;

struct AddressList
{
    addrinfo* head = nullptr;
    ~AddressList()
    {
        if (head)
            ::freeaddrinfo(head);
    }
};

// Non-blocking connect bounded by the deadline; returns 0 or an errno value
// (ETIMEDOUT when the deadline passed).
int connectOne(int fd, const addrinfo& address, Clock::time_point deadline)
{
    int flags = ::fcntl(fd, F_GETFL, 0);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int rc = ::connect(fd, address.ai_addr, address.ai_addrlen);
    if (rc != 0 && errno != EINPROGRESS)
        return errno;
    if (rc != 0)
    {
        pollfd waiter{fd, POLLOUT, 0};
        for (;;)
        {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - Clock::now());
            if (left.count() <= 0)
                return ETIMEDOUT;
            int ready = ::poll(&waiter, 1, static_cast<int>(left.count()));
            if (ready > 0)
                break;
            if (ready < 0 && errno != EINTR)
                return errno;
        }
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0)
            return error;
    }
    ::fcntl(fd, F_SETFL, flags);
    return 0;
}

}  // namespace

TcpConnection connectTcp(const std::string& host, std::uint32_t port,
                         std::chrono::milliseconds timeout)
{
    const std::string where = host + ":" + std::to_string(port);
    if (host.empty())
        throwCannotConnect(where, "no host name was given");
    if (port == 0 || port > 65535)
        throwCannotConnect(where, "port " + std::to_string(port) + " is out of range");

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    AddressList addresses;
    int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints,
                           &addresses.head);
    if (rc != 0)
        throwCannotConnect(where, std::string("cannot resolve the host: ") + ::gai_strerror(rc));

    const Clock::time_point deadline = Clock::now() + timeout;
    int lastError = 0;
    for (addrinfo* address = addresses.head; address; address = address->ai_next)
    {
        UniqueSocket socket(::socket(address->ai_family,
                                     address->ai_socktype | SOCK_CLOEXEC,
                                     address->ai_protocol));
        if (!socket.valid())
        {
            lastError = errno;
            continue;
        }
        lastError = connectOne(socket.get(), *address, deadline);
        if (lastError == 0)
            return TcpConnection{std::move(socket), address->ai_family};
        if (lastError == ETIMEDOUT)
            break;
    }
    if (lastError == ETIMEDOUT)
    {
        throwCannotConnect(where, "no answer to the connection request within " +
                                      std::to_string(timeout.count()) + " ms");
    }
    throwCannotConnect(where, std::strerror(lastError));
}

TcpConnection connectUnix(const std::string& path, std::chrono::milliseconds timeout)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        throwCannotConnect(path, "the socket path is empty or longer than " +
                                     std::to_string(sizeof address.sun_path - 1) + " bytes");
    path.copy(address.sun_path, path.size());
    UniqueSocket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.valid())
        throwCannotConnect(path, std::strerror(errno));
    addrinfo entry{};
    entry.ai_addr = reinterpret_cast<sockaddr*>(&address);
    entry.ai_addrlen = static_cast<socklen_t>(sizeof address);
    const int error = connectOne(socket.get(), entry, Clock::now() + timeout);
    if (error == ETIMEDOUT)
        throwCannotConnect(path, "no answer to the connection request within " +
                                     std::to_string(timeout.count()) + " ms");
    if (error != 0)
        throwCannotConnect(path, std::strerror(error));
    return TcpConnection{std::move(socket), AF_UNIX};
}

}  // namespace ClientDetail
}  // namespace Pegasus
