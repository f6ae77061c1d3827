#include "WinSocketStream.h"
#include "WinErrorText.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <climits>

namespace Pegasus {
namespace ClientDetail {

namespace {

// send() and recv() take an int.
int chunkSize(std::size_t size)
{
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

}  // namespace

WinSocketStream::WinSocketStream(WinUniqueSocket socket) : _socket(std::move(socket))
{
    u_long nonBlocking = 1;
    ioctlsocket(_socket.get(), FIONBIO, &nonBlocking);
    // Requests are written whole; nothing is gained by holding back a segment.
    BOOL noDelay = TRUE;
    setsockopt(_socket.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
}

void WinSocketStream::waitFor(bool writing, Deadline deadline) const
{
    for (;;)
    {
        const long long left = millisecondsLeft(deadline);
        if (left == 0)
            throw StreamError(StreamError::Kind::timedOut, "no progress before the deadline");
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(_socket.get(), &ready);
        timeval wait{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
        const int count = writing ? select(0, nullptr, &ready, nullptr, &wait)
                                  : select(0, &ready, nullptr, nullptr, &wait);
        if (count > 0)
            return;
        if (count == SOCKET_ERROR)
            throw StreamError(StreamError::Kind::failed, socketErrorText(WSAGetLastError()));
    }
}

std::size_t WinSocketStream::readSome(char* data, std::size_t size, Deadline deadline)
{
    for (;;)
    {
        const int got = recv(_socket.get(), data, chunkSize(size), 0);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK)
            throw StreamError(StreamError::Kind::failed, socketErrorText(error));
        waitFor(false, deadline);
    }
}

void WinSocketStream::writeAll(const char* data, std::size_t size, Deadline deadline)
{
    while (size > 0)
    {
        const int sent = send(_socket.get(), data, chunkSize(size), 0);
        if (sent >= 0)
        {
            data += sent;
            size -= static_cast<std::size_t>(sent);
            continue;
        }
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK)
            throw StreamError(StreamError::Kind::failed, socketErrorText(error));
        waitFor(true, deadline);
    }
}

bool WinSocketStream::peerClosedOrSpoke()
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(_socket.get(), &readable);
    timeval now{0, 0};
    return select(0, &readable, nullptr, nullptr, &now) != 0;
}

}  // namespace ClientDetail
}  // namespace Pegasus
