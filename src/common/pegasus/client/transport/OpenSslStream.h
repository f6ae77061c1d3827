#ifndef Pegasus_Client_Transport_OpenSslStream_h
#define Pegasus_Client_Transport_OpenSslStream_h

#include "ByteStream.h"
#include "HttpTransport.h"

#include <memory>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;
typedef struct ssl_session_st SSL_SESSION;
typedef struct bio_st BIO;

namespace Pegasus {
namespace ClientDetail {

// The TLS settings of one endpoint as an OpenSSL context (TLS 1.2 or later,
// the trust store loaded once), and the session of its last connection, so
// that a reconnection resumes it where the server allows.
class TlsClientContext
{
public:
    // Throws CIMClientTLSException naming `where` when the trust store
    // cannot be loaded.
    TlsClientContext(const Endpoint& endpoint, const std::string& where);
    ~TlsClientContext();
    TlsClientContext(const TlsClientContext&) = delete;
    TlsClientContext& operator=(const TlsClientContext&) = delete;

    SSL_CTX* get() const { return _context; }
    const Endpoint& endpoint() const { return _endpoint; }
    const std::string& where() const { return _where; }
    SSL_SESSION* lastSession() const { return _lastSession; }
    void keepSession(SSL_SESSION* session);

private:
    Endpoint _endpoint;
    std::string _where;
    SSL_CTX* _context = nullptr;
    SSL_SESSION* _lastSession = nullptr;
};

// TLS over another ByteStream. OpenSSL reads and writes memory buffers only;
// the inner stream moves the bytes, so every wait keeps its deadline and no
// write can raise SIGPIPE.
class OpenSslStream final : public ByteStream
{
public:
    // Completes the handshake before returning. Every failure (a peer that
    // does not speak TLS, no common protocol or cipher, a certificate that
    // fails verification, no handshake before the deadline) raises
    // CIMClientTLSException naming the endpoint.
    OpenSslStream(std::unique_ptr<ByteStream> inner, TlsClientContext& context, Deadline deadline);
    ~OpenSslStream() override;
    OpenSslStream(const OpenSslStream&) = delete;
    OpenSslStream& operator=(const OpenSslStream&) = delete;

    std::size_t readSome(char* data, std::size_t size, Deadline deadline) override;
    void writeAll(const char* data, std::size_t size, Deadline deadline) override;
    bool peerClosedOrSpoke() override;

private:
    void handshake(Deadline deadline);
    void flushOutput(Deadline deadline);
    // Moves what the peer sent into OpenSSL; false when the peer closed.
    bool fillInput(Deadline deadline);

    std::unique_ptr<ByteStream> _inner;
    TlsClientContext& _context;
    SSL* _ssl = nullptr;
    BIO* _input = nullptr;   // owned by _ssl
    BIO* _output = nullptr;  // owned by _ssl
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
