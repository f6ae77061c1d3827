#ifndef Pegasus_Client_Transport_HttpTransport_h
#define Pegasus_Client_Transport_HttpTransport_h

#include "HttpMessage.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Pegasus {
namespace ClientDetail {

struct TlsSettings
{
    bool enabled = false;
    // Verify the server's certificate chain.
    bool verifyPeer = false;
    // With verifyPeer: the certificate must also name Endpoint::host (a DNS
    // name, or the IP address when the host is an IP literal). Off by
    // default, as OpenPegasus does not match host names.
    bool verifyHostName = false;
    // CA file or directory used when verifyPeer is set; empty means the
    // system's default store.
    std::string trustStore;
};

struct Endpoint
{
    std::string host;
    std::uint32_t port = 0;
    // A local domain socket to use instead of host and port (never TLS).
    std::string unixSocket;
    TlsSettings tls;
    // Chosen by the client rather than named by the user: every connection
    // is used only if the socket that accepted it is root's or our user's.
    bool requireTrustedListener = false;

    // "host:port", or the socket's path, the form used in every message
    // about this endpoint.
    std::string describe() const;
};

struct TransportStats
{
    // TCP connections opened since the transport was created.
    std::size_t connectionsOpened = 0;
    std::size_t requestsSent = 0;
};

constexpr std::size_t kDefaultResponseLimit = std::size_t{32} * 1024 * 1024;

// One keep-alive HTTP/1.1 connection to one CIM server. Every failure is
// raised as the Pegasus exception for its kind, naming the endpoint:
// CannotConnectException (refused, unreachable, TLS handshake; all of them
// met by open()),
// ConnectionTimeoutException, CIMClientMalformedHTTPException (broken or
// truncated response) and CIMClientResponseTooLargeException.
class HttpTransport
{
public:
    virtual ~HttpTransport() = default;

    // Opens the connection now and, for TLS, completes a handshake with the
    // endpoint's settings, so an unreachable server, a port that does not
    // speak TLS, a protocol or cipher mismatch and an untrusted certificate
    // all fail here.
    virtual void open(const Endpoint& endpoint, std::chrono::milliseconds timeout) = 0;

    // Sends one request on the open connection (reopening it if the server
    // closed it in between) and reads the whole response within `timeout`.
    virtual HttpResponse post(const std::string& path, const HttpRequest& request,
                              std::chrono::milliseconds timeout) = 0;

    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Largest response body accepted; a larger one ends the request.
    virtual void setResponseLimit(std::size_t bytes) = 0;

    virtual TransportStats stats() const = 0;
};

// The transport that owns its connection: Boost.Beast over POSIX sockets and
// OpenSSL on Linux, over Winsock and Schannel on Windows.
std::unique_ptr<HttpTransport> createHttpTransport();

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
