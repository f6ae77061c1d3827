#ifndef Pegasus_Client_Transport_WinTcpProbe_h
#define Pegasus_Client_Transport_WinTcpProbe_h

#include "HttpTransport.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace Pegasus {
namespace ClientDetail {

class WinTrustStore;

// Connects to the endpoint within `timeout`, runs the TLS handshake when the
// endpoint speaks TLS (see WinTlsHandshake.h), and closes the connection
// again. WinHTTP opens its connections only when a request goes out; this
// lets open() fail at once on a server that cannot be reached or whose TLS
// the requests would not accept. Raises CannotConnectException (for TLS,
// CIMClientTLSException) naming host:port and the cause.
void probeEndpoint(const Endpoint& endpoint, const WinTrustStore* trustStore,
                   std::chrono::milliseconds timeout);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
