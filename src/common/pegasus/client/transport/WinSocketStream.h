#ifndef Pegasus_Client_Transport_WinSocketStream_h
#define Pegasus_Client_Transport_WinSocketStream_h

#include "ByteStream.h"
#include "WinTcpConnector.h"

namespace Pegasus {
namespace ClientDetail {

// A connected Winsock TCP socket, non-blocking, every wait bounded by
// select() and the caller's deadline.
class WinSocketStream final : public ByteStream
{
public:
    explicit WinSocketStream(WinUniqueSocket socket);

    std::size_t readSome(char* data, std::size_t size, Deadline deadline) override;
    void writeAll(const char* data, std::size_t size, Deadline deadline) override;
    bool peerClosedOrSpoke() override;

private:
    // Waits until the socket can be read (or written); throws on the deadline.
    void waitFor(bool writing, Deadline deadline) const;

    WinUniqueSocket _socket;
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
