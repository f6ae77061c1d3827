#ifndef Pegasus_Client_Transport_WinSchannelStream_h
#define Pegasus_Client_Transport_WinSchannelStream_h

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <windows.h>

#ifndef SECURITY_WIN32
#define SECURITY_WIN32
#endif
#include <security.h>

#include "ByteStream.h"
#include "HttpTransport.h"
#include "WinTrustStore.h"

#include <memory>
#include <string>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

// The TLS settings of one endpoint as Schannel credentials (TLS 1.2 or
// later; the server's certificate is ours to check) and the caller's trust
// store, loaded once. Schannel keeps the sessions made with one credentials
// handle, so a reconnection through the same one resumes the last session
// where the server allows.
class WinTlsCredentials
{
public:
    // Raises CIMClientTLSException naming `where` when the trust store holds
    // no certificate or Schannel cannot start.
    WinTlsCredentials(const Endpoint& endpoint, const std::string& where);
    ~WinTlsCredentials();
    WinTlsCredentials(const WinTlsCredentials&) = delete;
    WinTlsCredentials& operator=(const WinTlsCredentials&) = delete;

    CredHandle* handle() { return &_handle; }
    const Endpoint& endpoint() const { return _endpoint; }
    const std::string& where() const { return _where; }
    // Null when the system's authorities decide (or nothing is verified).
    const WinTrustStore* trustStore() const { return _trustStore.get(); }

private:
    Endpoint _endpoint;
    std::string _where;
    std::unique_ptr<WinTrustStore> _trustStore;
    CredHandle _handle{};
};

// TLS over another ByteStream with Schannel. Schannel only turns buffers
// into buffers; the inner stream moves the bytes, so every wait keeps its
// deadline.
class WinSchannelStream final : public ByteStream
{
public:
    // Completes the handshake (SNI with the endpoint's host) and checks the
    // server's certificate before returning: against the trust store when
    // there is one, else against the system's authorities when verifyPeer
    // asks for it, and its names against the host when verifyHostName does.
    // Every failure, the deadline included, raises CIMClientTLSException
    // naming the endpoint.
    WinSchannelStream(std::unique_ptr<ByteStream> inner, WinTlsCredentials& credentials,
                      Deadline deadline);
    WinSchannelStream(const WinSchannelStream&) = delete;
    WinSchannelStream& operator=(const WinSchannelStream&) = delete;

    std::size_t readSome(char* data, std::size_t size, Deadline deadline) override;
    void writeAll(const char* data, std::size_t size, Deadline deadline) override;
    bool peerClosedOrSpoke() override;

private:
    struct SecurityContext
    {
        CtxtHandle handle{};
        bool valid = false;
        SecurityContext() = default;
        SecurityContext(const SecurityContext&) = delete;
        SecurityContext& operator=(const SecurityContext&) = delete;
        ~SecurityContext();
    };

    // Runs InitializeSecurityContext until Schannel is done: the handshake,
    // or what the server starts after it (TLS 1.3 tickets and key updates
    // on Windows). Throws StreamError.
    void negotiate(Deadline deadline);
    void sendToken(const SecBuffer& token, bool failing, Deadline deadline);
    void receiveDuringHandshake(Deadline deadline);
    void checkCertificate();
    // Decrypts the whole records among the received bytes.
    void decryptReceived(Deadline deadline);
    // Appends what the peer sent next; false when it closed the connection.
    bool receiveMore(Deadline deadline);
    bool hasPlainText() const { return _plainRead < _plain.size(); }

    std::unique_ptr<ByteStream> _inner;
    WinTlsCredentials& _credentials;
    SecurityContext _context;
    SecPkgContext_StreamSizes _sizes{};
    // Received, not yet decrypted.
    std::vector<char> _received;
    // Decrypted, not yet read: _plain from _plainRead on.
    std::string _plain;
    std::size_t _plainRead = 0;
    // The server sent close_notify.
    bool _closedByPeer = false;
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
