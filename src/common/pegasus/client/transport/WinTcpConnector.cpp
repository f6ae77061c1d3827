#include "WinTcpConnector.h"
#include "WinErrorText.h"

#include "../ClientErrors.h"

#include <ws2tcpip.h>

#include <windows.h>

#include <utility>

namespace Pegasus {
namespace ClientDetail {

namespace {

// Winsock needs one start-up per process; a function-local static does it once.
void ensureWinsockStarted()
{
    static const int started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    (void)started;
}

struct AddressList
{
    addrinfo* head = nullptr;
    ~AddressList()
    {
        if (head)
            freeaddrinfo(head);
    }
};

// Non-blocking connect bounded by the deadline; returns 0, a Winsock error,
// or WSAETIMEDOUT when the deadline passed.
int connectOne(SOCKET socket, const addrinfo& address, Deadline deadline)
{
    u_long nonBlocking = 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
    if (connect(socket, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0)
        return 0;
    const int started = WSAGetLastError();
    if (started != WSAEWOULDBLOCK)
        return started;
    const long long left = millisecondsLeft(deadline);
    if (left <= 0)
        return WSAETIMEDOUT;
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket, &writable);
    FD_SET(socket, &failed);
    timeval wait{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
    const int ready = select(0, nullptr, &writable, &failed, &wait);
    if (ready == 0)
        return WSAETIMEDOUT;
    if (ready == SOCKET_ERROR)
        return WSAGetLastError();
    int error = 0;
    int length = sizeof error;
    getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
    return error;
}

}  // namespace

WinUniqueSocket& WinUniqueSocket::operator=(WinUniqueSocket&& other) noexcept
{
    if (this != &other)
    {
        if (_socket != INVALID_SOCKET)
            closesocket(_socket);
        _socket = other.release();
    }
    return *this;
}

WinUniqueSocket::~WinUniqueSocket()
{
    if (_socket != INVALID_SOCKET)
        closesocket(_socket);
}

SOCKET WinUniqueSocket::release()
{
    return std::exchange(_socket, INVALID_SOCKET);
}

WinUniqueSocket connectWinTcp(const Endpoint& endpoint, Deadline deadline)
{
    const std::string& host = endpoint.host;
    const std::uint32_t port = endpoint.port;
    const std::string where = endpoint.describe();
    if (host.empty())
        throwCannotConnect(where, "no host name was given");
    if (port == 0 || port > 65535)
        throwCannotConnect(where, "port " + std::to_string(port) + " is out of range");
    ensureWinsockStarted();

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    AddressList addresses;
    const int resolved =
        getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses.head);
    if (resolved != 0)
        throwCannotConnect(where, "cannot resolve the host: " + socketErrorText(resolved));

    const long long timeoutMs = millisecondsLeft(deadline);
    int lastError = 0;
    for (addrinfo* address = addresses.head; address; address = address->ai_next)
    {
        WinUniqueSocket socket(::socket(address->ai_family, address->ai_socktype, address->ai_protocol));
        if (socket.get() == INVALID_SOCKET)
        {
            lastError = WSAGetLastError();
            continue;
        }
        lastError = connectOne(socket.get(), *address, deadline);
        if (lastError == 0)
            return socket;
        if (lastError == WSAETIMEDOUT)
            break;
    }
    if (lastError == WSAETIMEDOUT)
    {
        throwCannotConnect(where, "no answer to the connection request within " +
                                      std::to_string(timeoutMs) + " ms");
    }
    throwCannotConnect(where, socketErrorText(lastError));
}

}  // namespace ClientDetail
}  // namespace Pegasus
