#include "WinSchannelStream.h"

#include "WinErrorText.h"
#include "WinHostNameCheck.h"

#include "../ClientErrors.h"

#include <schannel.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Pegasus {
namespace ClientDetail {

namespace {

constexpr std::size_t kReceiveChunk = 16 * 1024 + 512;  // one TLS record and its framing

// SECURITY_FLAG_IGNORE_CERT_CN_INVALID of wininet.h and winhttp.h, which this
// file has no other use for: the host name is matched apart.
constexpr DWORD kIgnoreHostNameMismatch = 0x00001000;

const char kClosedDuringHandshake[] =
    "the server closed the connection during the TLS handshake; does the port speak TLS?";

struct CertificateRelease
{
    void operator()(PCCERT_CONTEXT certificate) const { CertFreeCertificateContext(certificate); }
};

struct ChainRelease
{
    void operator()(PCCERT_CHAIN_CONTEXT chain) const { CertFreeCertificateChain(chain); }
};

std::string statusText(SECURITY_STATUS status)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
    const std::string text = windowsErrorText(static_cast<unsigned long>(status));
    return text.empty() ? std::string("Schannel status ") + code : text + " (" + code + ")";
}

// Without a trust store of the caller's: the system's authorities; the host
// name is matched apart, when asked for.
std::string systemProblemWith(PCCERT_CONTEXT certificate)
{
    CERT_CHAIN_PARA parameters{};
    parameters.cbSize = sizeof parameters;
    PCCERT_CHAIN_CONTEXT rawChain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &parameters, 0,
                                 nullptr, &rawChain))
        return "the server's certificate chain cannot be built";
    std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainRelease> chain(rawChain);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.fdwChecks = kIgnoreHostNameMismatch;
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &status) ||
        status.dwError != 0)
        return "the server's certificate is not trusted by the system: " +
               windowsErrorText(status.dwError);
    return std::string();
}

}  // namespace

WinTlsCredentials::WinTlsCredentials(const Endpoint& endpoint, const std::string& where)
    : _endpoint(endpoint), _where(where)
{
    const TlsSettings& tls = endpoint.tls;
    if (tls.verifyPeer && !tls.trustStore.empty())
        _trustStore = std::make_unique<WinTrustStore>(tls.trustStore, where);
    // TLS 1.2 and, where Schannel knows it, 1.3; the certificate is ours to check.
    SCHANNEL_CRED settings{};
    settings.dwVersion = SCHANNEL_CRED_VERSION;
    settings.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    SECURITY_STATUS status = SEC_E_UNSUPPORTED_FUNCTION;
    for (DWORD protocols : {DWORD(SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT), DWORD(SP_PROT_TLS1_2_CLIENT)})
    {
        settings.grbitEnabledProtocols = protocols;
        status = AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND,
                                           nullptr, &settings, nullptr, nullptr, &_handle, nullptr);
        if (status == SEC_E_OK)
            return;
    }
    throwTlsFailure(where, "Schannel could not start: " + statusText(status));
}

WinTlsCredentials::~WinTlsCredentials()
{
    FreeCredentialsHandle(&_handle);
}

WinSchannelStream::SecurityContext::~SecurityContext()
{
    if (valid)
        DeleteSecurityContext(&handle);
}

WinSchannelStream::WinSchannelStream(std::unique_ptr<ByteStream> inner, WinTlsCredentials& credentials,
                                     Deadline deadline)
    : _inner(std::move(inner)), _credentials(credentials)
{
    const std::string& where = credentials.where();
    try
    {
        negotiate(deadline);
    }
    catch (const StreamError& e)
    {
        if (e.kind() == StreamError::Kind::timedOut)
            throwTlsFailure(where, "no TLS handshake within the time-out");
        throwTlsFailure(where, e.what());
    }
    const SECURITY_STATUS status = QueryContextAttributesA(&_context.handle, SECPKG_ATTR_STREAM_SIZES, &_sizes);
    if (status != SEC_E_OK)
        throwTlsFailure(where, "Schannel gives no record sizes: " + statusText(status));
    checkCertificate();
}

void WinSchannelStream::negotiate(Deadline deadline)
{
    const DWORD wanted = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                         ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;
    // The server's name goes out as SNI.
    const std::string& host = _credentials.endpoint().host;
    for (;;)
    {
        const bool first = !_context.valid;
        SecBuffer input[2] = {};
        input[0].BufferType = SECBUFFER_TOKEN;
        input[0].pvBuffer = _received.data();
        input[0].cbBuffer = static_cast<unsigned long>(_received.size());
        input[1].BufferType = SECBUFFER_EMPTY;
        SecBufferDesc inputDescription{SECBUFFER_VERSION, 2, input};
        SecBuffer output{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outputDescription{SECBUFFER_VERSION, 1, &output};
        DWORD granted = 0;
        const SECURITY_STATUS status = InitializeSecurityContextA(
            _credentials.handle(), first ? nullptr : &_context.handle,
            first ? const_cast<char*>(host.c_str()) : nullptr, wanted, 0, 0,
            first ? nullptr : &inputDescription, 0, &_context.handle, &outputDescription, &granted, nullptr);
        if (first && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED))
            _context.valid = true;
        const bool failing =
            status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED && status != SEC_E_INCOMPLETE_MESSAGE;
        if (output.pvBuffer != nullptr)
        {
            std::unique_ptr<void, decltype(&FreeContextBuffer)> token(output.pvBuffer, FreeContextBuffer);
            sendToken(output, failing, deadline);
        }
        if (status == SEC_E_INCOMPLETE_MESSAGE)
        {
            receiveDuringHandshake(deadline);
            continue;
        }
        if (failing)
            throw StreamError(StreamError::Kind::failed, "the TLS handshake failed: " + statusText(status));
        // Bytes of the next message that came with this one stay for it.
        if (!first && input[1].BufferType == SECBUFFER_EXTRA && input[1].cbBuffer > 0)
            _received.erase(_received.begin(), _received.end() - input[1].cbBuffer);
        else
            _received.clear();
        if (status == SEC_E_OK)
            return;
        if (_received.empty())
            receiveDuringHandshake(deadline);
    }
}

// What Schannel has to say to the server; when the handshake is failing
// anyway (an alert), a connection that cannot carry it changes nothing.
void WinSchannelStream::sendToken(const SecBuffer& token, bool failing, Deadline deadline)
{
    try
    {
        _inner->writeAll(static_cast<const char*>(token.pvBuffer), token.cbBuffer, deadline);
    }
    catch (const StreamError& e)
    {
        if (failing)
            return;
        if (e.kind() == StreamError::Kind::timedOut)
            throw;
        throw StreamError(StreamError::Kind::failed, "the connection broke during the TLS handshake");
    }
}

void WinSchannelStream::receiveDuringHandshake(Deadline deadline)
{
    try
    {
        if (receiveMore(deadline))
            return;
    }
    catch (const StreamError& e)
    {
        if (e.kind() == StreamError::Kind::timedOut)
            throw;
    }
    throw StreamError(StreamError::Kind::failed, kClosedDuringHandshake);
}

void WinSchannelStream::checkCertificate()
{
    const TlsSettings& tls = _credentials.endpoint().tls;
    const std::string& where = _credentials.where();
    if (!tls.verifyPeer)
        return;
    PCCERT_CONTEXT raw = nullptr;
    if (QueryContextAttributesA(&_context.handle, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &raw) != SEC_E_OK ||
        raw == nullptr)
        throwTlsFailure(where, "the server sent no certificate");
    std::unique_ptr<const CERT_CONTEXT, CertificateRelease> certificate(raw);
    const WinTrustStore* trustStore = _credentials.trustStore();
    std::string problem =
        trustStore ? trustStore->problemWith(certificate.get()) : systemProblemWith(certificate.get());
    if (problem.empty() && tls.verifyHostName)
        problem = hostNameProblem(certificate.get(), _credentials.endpoint().host);
    if (!problem.empty())
        throwTlsFailure(where, problem);
}

bool WinSchannelStream::receiveMore(Deadline deadline)
{
    const std::size_t had = _received.size();
    _received.resize(had + kReceiveChunk);
    std::size_t got = 0;
    try
    {
        got = _inner->readSome(_received.data() + had, kReceiveChunk, deadline);
    }
    catch (...)
    {
        _received.resize(had);
        throw;
    }
    _received.resize(had + got);
    return got > 0;
}

void WinSchannelStream::decryptReceived(Deadline deadline)
{
    while (!_received.empty() && !_closedByPeer)
    {
        SecBuffer buffers[4] = {};
        buffers[0].BufferType = SECBUFFER_DATA;
        buffers[0].pvBuffer = _received.data();
        buffers[0].cbBuffer = static_cast<unsigned long>(_received.size());
        for (int i = 1; i < 4; ++i)
            buffers[i].BufferType = SECBUFFER_EMPTY;
        SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
        const SECURITY_STATUS status = DecryptMessage(&_context.handle, &description, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            return;
        if (status == SEC_I_CONTEXT_EXPIRED)
        {
            _closedByPeer = true;
            _received.clear();
            return;
        }
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE)
            throw StreamError(StreamError::Kind::failed,
                              "a TLS record cannot be decrypted: " + statusText(status));
        std::size_t extra = 0;
        for (const SecBuffer& buffer : buffers)
        {
            if (buffer.BufferType == SECBUFFER_DATA && buffer.cbBuffer > 0)
                _plain.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
            else if (buffer.BufferType == SECBUFFER_EXTRA)
                extra = buffer.cbBuffer;
        }
        _received.erase(_received.begin(), _received.end() - static_cast<std::ptrdiff_t>(extra));
        if (status == SEC_I_RENEGOTIATE)
            negotiate(deadline);
    }
}

std::size_t WinSchannelStream::readSome(char* data, std::size_t size, Deadline deadline)
{
    for (;;)
    {
        if (hasPlainText())
        {
            const std::size_t count = std::min(size, _plain.size() - _plainRead);
            std::memcpy(data, _plain.data() + _plainRead, count);
            _plainRead += count;
            if (_plainRead == _plain.size())
            {
                _plain.clear();
                _plainRead = 0;
            }
            return count;
        }
        if (_closedByPeer)
            return 0;
        decryptReceived(deadline);
        if (hasPlainText() || _closedByPeer)
            continue;
        // A peer that closes without close_notify ends the stream as well.
        if (!receiveMore(deadline))
            return 0;
    }
}

void WinSchannelStream::writeAll(const char* data, std::size_t size, Deadline deadline)
{
    // Every record of the request, then one write.
    std::string records;
    while (size > 0)
    {
        const std::size_t chunk = std::min<std::size_t>(size, _sizes.cbMaximumMessage);
        const std::size_t at = records.size();
        records.resize(at + _sizes.cbHeader + chunk + _sizes.cbTrailer);
        char* record = records.data() + at;
        std::memcpy(record + _sizes.cbHeader, data, chunk);
        SecBuffer buffers[4] = {
            {_sizes.cbHeader, SECBUFFER_STREAM_HEADER, record},
            {static_cast<unsigned long>(chunk), SECBUFFER_DATA, record + _sizes.cbHeader},
            {_sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record + _sizes.cbHeader + chunk},
            {0, SECBUFFER_EMPTY, nullptr},
        };
        SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
        const SECURITY_STATUS status = EncryptMessage(&_context.handle, 0, &description, 0);
        if (status != SEC_E_OK)
            throw StreamError(StreamError::Kind::failed,
                              "the request cannot be encrypted: " + statusText(status));
        records.resize(at + buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
        data += chunk;
        size -= chunk;
    }
    _inner->writeAll(records.data(), records.size(), deadline);
}

bool WinSchannelStream::peerClosedOrSpoke()
{
    if (hasPlainText() || _closedByPeer || !_received.empty())
        return true;
    if (!_inner->peerClosedOrSpoke())
        return false;
    // Readable: session tickets that arrived after the last response are
    // harmless; anything else (data, an alert, a close) is not.
    try
    {
        const Deadline soon = std::chrono::steady_clock::now() + std::chrono::milliseconds(1);
        if (!receiveMore(soon))
            return true;
        decryptReceived(soon);
    }
    catch (const StreamError&)
    {
        return true;
    }
    return hasPlainText() || _closedByPeer || !_received.empty();
}

}  // namespace ClientDetail
}  // namespace Pegasus
