#ifndef Pegasus_Client_Transport_WinTcpConnector_h
#define Pegasus_Client_Transport_WinTcpConnector_h

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>

#include "ByteStream.h"
#include "HttpTransport.h"

namespace Pegasus {
namespace ClientDetail {

// Owns one Winsock socket.
class WinUniqueSocket
{
public:
    WinUniqueSocket() = default;
    explicit WinUniqueSocket(SOCKET socket) : _socket(socket) {}
    WinUniqueSocket(WinUniqueSocket&& other) noexcept : _socket(other.release()) {}
    WinUniqueSocket& operator=(WinUniqueSocket&& other) noexcept;
    WinUniqueSocket(const WinUniqueSocket&) = delete;
    WinUniqueSocket& operator=(const WinUniqueSocket&) = delete;
    ~WinUniqueSocket();

    SOCKET get() const { return _socket; }
    SOCKET release();

private:
    SOCKET _socket = INVALID_SOCKET;
};

// Resolves the endpoint's host and connects, non-blocking, to the first of
// its addresses that accepts before `deadline`. Raises CannotConnectException
// naming host:port and the cause.
WinUniqueSocket connectWinTcp(const Endpoint& endpoint, Deadline deadline);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
