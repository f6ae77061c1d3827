#ifndef Pegasus_Client_Transport_StreamConnector_h
#define Pegasus_Client_Transport_StreamConnector_h

#include "ByteStream.h"
#include "HttpTransport.h"

#include <memory>

namespace Pegasus {
namespace ClientDetail {

// Opens connections to one endpoint with the platform's sockets and TLS:
// TCP with the TLS handshake included, or a local domain socket.
class StreamConnector
{
public:
    virtual ~StreamConnector() = default;

    // Raises CannotConnectException (CIMClientTLSException for the
    // handshake) naming the endpoint. `opened` counts every connection
    // made, also one whose handshake then fails.
    virtual std::unique_ptr<ByteStream> connect(Deadline deadline, std::size_t& opened) = 0;
};

std::unique_ptr<StreamConnector> createStreamConnector(const Endpoint& endpoint);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
