#include "OpenSslStream.h"

#include "../ClientErrors.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>

#include <array>

namespace Pegasus {
namespace ClientDetail {

namespace {

constexpr std::size_t kRecordBuffer = 16 * 1024;

bool isDirectory(const std::string& path)
{
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isIpLiteral(const std::string& host)
{
    ASN1_OCTET_STRING* address = a2i_IPADDRESS(host.c_str());
    if (!address)
        return false;
    ASN1_OCTET_STRING_free(address);
    return true;
}

// OpenSSL's oldest queued error, or `fallback`; empties the queue.
std::string takeOpenSslError(const std::string& fallback)
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return fallback;
    std::array<char, 256> text{};
    ERR_error_string_n(code, text.data(), text.size());
    return text.data();
}

}  // namespace

TlsClientContext::TlsClientContext(const Endpoint& endpoint, const std::string& where)
    : _endpoint(endpoint), _where(where), _context(SSL_CTX_new(TLS_client_method()))
{
    if (!_context)
        throwTlsFailure(_where, takeOpenSslError("the TLS library could not be initialised"));
    // TLS 1.2 or later, as OpenPegasus accepts by default.
    SSL_CTX_set_min_proto_version(_context, TLS1_2_VERSION);
    const TlsSettings& tls = endpoint.tls;
    SSL_CTX_set_verify(_context, tls.verifyPeer ? SSL_VERIFY_PEER : SSL_VERIFY_NONE, nullptr);
    if (!tls.verifyPeer)
        return;
    int loaded = 0;
    if (tls.trustStore.empty())
        loaded = SSL_CTX_set_default_verify_paths(_context);
    else if (isDirectory(tls.trustStore))
        loaded = SSL_CTX_load_verify_locations(_context, nullptr, tls.trustStore.c_str());
    else
        loaded = SSL_CTX_load_verify_locations(_context, tls.trustStore.c_str(), nullptr);
    if (loaded != 1)
    {
        const std::string reason = takeOpenSslError("unknown error");
        SSL_CTX_free(_context);
        throwTlsFailure(_where, "the trust store " + tls.trustStore + " cannot be read: " + reason);
    }
}

TlsClientContext::~TlsClientContext()
{
    SSL_SESSION_free(_lastSession);
    SSL_CTX_free(_context);
}

void TlsClientContext::keepSession(SSL_SESSION* session)
{
    SSL_SESSION_free(_lastSession);
    _lastSession = session;
}

OpenSslStream::OpenSslStream(std::unique_ptr<ByteStream> inner, TlsClientContext& context,
                             Deadline deadline)
    : _inner(std::move(inner)), _context(context), _ssl(SSL_new(context.get()))
{
    const std::string& where = context.where();
    if (!_ssl)
        throwTlsFailure(where, takeOpenSslError("the TLS library could not be initialised"));
    _input = BIO_new(BIO_s_mem());
    _output = BIO_new(BIO_s_mem());
    if (!_input || !_output)
    {
        BIO_free(_input);
        BIO_free(_output);
        SSL_free(_ssl);
        throwTlsFailure(where, "the TLS library could not allocate its buffers");
    }
    // A closed peer reads as "no more data yet" until fillInput() says it closed.
    BIO_set_mem_eof_return(_input, -1);
    SSL_set_bio(_ssl, _input, _output);
    SSL_set_connect_state(_ssl);

    const Endpoint& endpoint = context.endpoint();
    const bool literal = isIpLiteral(endpoint.host);
    if (!literal)
        SSL_set_tlsext_host_name(_ssl, endpoint.host.c_str());
    if (endpoint.tls.verifyPeer && endpoint.tls.verifyHostName)
    {
        if (literal)
            X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(_ssl), endpoint.host.c_str());
        else
            SSL_set1_host(_ssl, endpoint.host.c_str());
    }
    if (context.lastSession())
        SSL_set_session(_ssl, context.lastSession());
    try
    {
        handshake(deadline);
    }
    catch (...)
    {
        SSL_free(_ssl);
        throw;
    }
}

OpenSslStream::~OpenSslStream()
{
    SSL_SESSION* session = SSL_get1_session(_ssl);
    if (session && SSL_SESSION_is_resumable(session))
        _context.keepSession(session);
    else
        SSL_SESSION_free(session);
    SSL_free(_ssl);
}

void OpenSslStream::handshake(Deadline deadline)
{
    const std::string& where = _context.where();
    const long long budgetMs = millisecondsLeft(deadline);
    try
    {
        for (;;)
        {
            ERR_clear_error();
            const int rc = SSL_do_handshake(_ssl);
            flushOutput(deadline);
            if (rc == 1)
                return;
            const int error = SSL_get_error(_ssl, rc);
            if (error == SSL_ERROR_WANT_READ)
            {
                if (!fillInput(deadline))
                    throwTlsFailure(where, "the server closed the connection during the TLS "
                                           "handshake");
                continue;
            }
            const long verified = SSL_get_verify_result(_ssl);
            if (verified != X509_V_OK)
                throwTlsFailure(where, std::string("the server's certificate failed verification: ") +
                                           X509_verify_cert_error_string(verified));
            throwTlsFailure(where, takeOpenSslError("the TLS handshake failed"));
        }
    }
    catch (const StreamError& e)
    {
        if (e.kind() == StreamError::Kind::timedOut)
            throwTlsFailure(where, "no TLS handshake within " + std::to_string(budgetMs) + " ms");
        throwTlsFailure(where, e.what());
    }
}

void OpenSslStream::flushOutput(Deadline deadline)
{
    std::array<char, kRecordBuffer> buffer;
    for (;;)
    {
        const int got = BIO_read(_output, buffer.data(), static_cast<int>(buffer.size()));
        if (got <= 0)
            return;
        _inner->writeAll(buffer.data(), static_cast<std::size_t>(got), deadline);
    }
}

bool OpenSslStream::fillInput(Deadline deadline)
{
    std::array<char, kRecordBuffer> buffer;
    const std::size_t got = _inner->readSome(buffer.data(), buffer.size(), deadline);
    if (got == 0)
        return false;
    BIO_write(_input, buffer.data(), static_cast<int>(got));
    return true;
}

std::size_t OpenSslStream::readSome(char* data, std::size_t size, Deadline deadline)
{
    for (;;)
    {
        ERR_clear_error();
        const int got = SSL_read(_ssl, data, static_cast<int>(size));
        if (got > 0)
            return static_cast<std::size_t>(got);
        const int error = SSL_get_error(_ssl, got);
        if (error == SSL_ERROR_ZERO_RETURN)
            return 0;
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
            throw StreamError(StreamError::Kind::failed, takeOpenSslError("TLS record error"));
        flushOutput(deadline);
        // A peer that closes without close_notify ends the stream as well.
        if (error == SSL_ERROR_WANT_READ && !fillInput(deadline))
            return 0;
    }
}

void OpenSslStream::writeAll(const char* data, std::size_t size, Deadline deadline)
{
    while (size > 0)
    {
        ERR_clear_error();
        const int written = SSL_write(_ssl, data, static_cast<int>(size));
        if (written > 0)
        {
            data += written;
            size -= static_cast<std::size_t>(written);
            flushOutput(deadline);
            continue;
        }
        const int error = SSL_get_error(_ssl, written);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
            throw StreamError(StreamError::Kind::failed, takeOpenSslError("TLS record error"));
        flushOutput(deadline);
        if (error == SSL_ERROR_WANT_READ && !fillInput(deadline))
            throw StreamError(StreamError::Kind::failed, "the server closed the connection");
    }
}

bool OpenSslStream::peerClosedOrSpoke()
{
    if (SSL_pending(_ssl) > 0 || BIO_ctrl_pending(_input) > 0)
        return true;
    if (!_inner->peerClosedOrSpoke())
        return false;
    // Readable: session tickets that arrived after the last response are
    // harmless; anything else (data, an alert, a close) is not.
    try
    {
        if (!fillInput(std::chrono::steady_clock::now() + std::chrono::milliseconds(1)))
            return true;
    }
    catch (const StreamError&)
    {
        return true;
    }
    char byte = 0;
    ERR_clear_error();
    const int got = SSL_peek(_ssl, &byte, 1);
    if (got > 0)
        return true;
    const bool onlyHandshakeRecords = SSL_get_error(_ssl, got) == SSL_ERROR_WANT_READ;
    ERR_clear_error();
    return !onlyHandshakeRecords || BIO_ctrl_pending(_input) > 0;
}

}  // namespace ClientDetail
}  // namespace Pegasus
