#include "SocketStream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

namespace Pegasus {
namespace ClientDetail {

SocketStream::SocketStream(UniqueSocket socket) : _socket(std::move(socket))
{
    const int flags = ::fcntl(_socket.get(), F_GETFL, 0);
    ::fcntl(_socket.get(), F_SETFL, flags | O_NONBLOCK);
    // Requests are written whole; nothing is gained by holding back a
    // segment. Fails harmlessly on a domain socket.
    int one = 1;
    ::setsockopt(_socket.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

void SocketStream::waitFor(short events, Deadline deadline) const
{
    pollfd waiter{_socket.get(), events, 0};
    for (;;)
    {
        const long long left = millisecondsLeft(deadline);
        if (left == 0)
            throw StreamError(StreamError::Kind::timedOut, "no progress before the deadline");
        const int ready = ::poll(&waiter, 1, static_cast<int>(left));
        if (ready > 0)
            return;
        if (ready < 0 && errno != EINTR)
            throw StreamError(StreamError::Kind::failed, std::strerror(errno));
    }
}

std::size_t SocketStream::readSome(char* data, std::size_t size, Deadline deadline)
{
    for (;;)
    {
        const ssize_t got = ::recv(_socket.get(), data, size, 0);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            throw StreamError(StreamError::Kind::failed, std::strerror(errno));
        waitFor(POLLIN, deadline);
    }
}

void SocketStream::writeAll(const char* data, std::size_t size, Deadline deadline)
{
    while (size > 0)
    {
        const ssize_t sent = ::send(_socket.get(), data, size, MSG_NOSIGNAL);
        if (sent >= 0)
        {
            data += sent;
            size -= static_cast<std::size_t>(sent);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            throw StreamError(StreamError::Kind::failed, std::strerror(errno));
        waitFor(POLLOUT, deadline);
    }
}

bool SocketStream::peerClosedOrSpoke()
{
    pollfd waiter{_socket.get(), POLLIN, 0};
    return ::poll(&waiter, 1, 0) != 0;
}

}  // namespace ClientDetail
}  // namespace Pegasus
