#ifndef Pegasus_Client_Transport_SocketStream_h
#define Pegasus_Client_Transport_SocketStream_h

#include "ByteStream.h"
#include "TcpConnector.h"

namespace Pegasus {
namespace ClientDetail {

// A connected POSIX socket (TCP or domain socket), non-blocking, every wait
// bounded by poll(); writes never raise SIGPIPE in the host process.
class SocketStream final : public ByteStream
{
public:
    explicit SocketStream(UniqueSocket socket);

    std::size_t readSome(char* data, std::size_t size, Deadline deadline) override;
    void writeAll(const char* data, std::size_t size, Deadline deadline) override;
    bool peerClosedOrSpoke() override;

private:
    // Waits until the socket is ready for `events`; throws on the deadline.
    void waitFor(short events, Deadline deadline) const;

    UniqueSocket _socket;
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
