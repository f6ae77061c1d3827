#ifndef Pegasus_Client_Transport_WinTlsHandshake_h
#define Pegasus_Client_Transport_WinTlsHandshake_h

#include <winsock2.h>

#include "HttpTransport.h"

#include <chrono>
#include <string>

namespace Pegasus {
namespace ClientDetail {

class WinTrustStore;

// Runs a TLS handshake with Schannel on `socket` (connected, non-blocking)
// with what the requests will use: TLS 1.2 or later, and the server's
// certificate checked against `trustStore` when one is given, or against the
// system's authorities when `tls.verifyPeer` asks for it without one, and its
// names against `host` when `tls.verifyHostName` is set as well. Raises
// CIMClientTLSException naming `where` when the handshake or the check fails
// or the deadline passes.
void handshakeTls(SOCKET socket, const std::string& where, const std::string& host,
                  const TlsSettings& tls, const WinTrustStore* trustStore,
                  std::chrono::steady_clock::time_point deadline);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
