// WinHTTP has no way to run a TLS handshake without sending a request, so
// connect()'s handshake is Schannel's own, on a connection of its own.

#include "WinTlsHandshake.h"

#include "WinErrorText.h"
#include "WinHostNameCheck.h"
#include "WinTrustStore.h"

#include "../ClientErrors.h"

#include <windows.h>

#include <winhttp.h>

#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

namespace {

using Clock = std::chrono::steady_clock;

struct Credentials
{
    CredHandle handle{};
    bool valid = false;
    ~Credentials()
    {
        if (valid)
            FreeCredentialsHandle(&handle);
    }
};

struct Context
{
    CtxtHandle handle{};
    bool valid = false;
    ~Context()
    {
        if (valid)
            DeleteSecurityContext(&handle);
    }
};

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

// TLS 1.2 and, where Schannel knows it, 1.3; the certificate is ours to check.
void acquire(Credentials& credentials, const std::string& where)
{
    SCHANNEL_CRED settings{};
    settings.dwVersion = SCHANNEL_CRED_VERSION;
    settings.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    SECURITY_STATUS status = SEC_E_UNSUPPORTED_FUNCTION;
    for (DWORD protocols : {DWORD(SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT), DWORD(SP_PROT_TLS1_2_CLIENT)})
    {
        settings.grbitEnabledProtocols = protocols;
        status = AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND,
                                           nullptr, &settings, nullptr, nullptr, &credentials.handle, nullptr);
        if (status == SEC_E_OK)
        {
            credentials.valid = true;
            return;
        }
    }
    throwTlsFailure(where, "Schannel could not start: " + statusText(status));
}

void sendAll(SOCKET socket, const char* data, std::size_t size, const std::string& where,
             Clock::time_point deadline)
{
    while (size > 0)
    {
        const int sent = send(socket, data, static_cast<int>(size), 0);
        if (sent > 0)
        {
            data += sent;
            size -= static_cast<std::size_t>(sent);
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            throwTlsFailure(where, "the connection broke during the TLS handshake");
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            throwTlsFailure(where, "no TLS handshake within the time-out");
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(socket, &writable);
        timeval wait{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
        select(0, nullptr, &writable, nullptr, &wait);
    }
}

// Appends what the server sent next; raises when it closed or took too long.
void receiveMore(SOCKET socket, std::vector<char>& pending, const std::string& where,
                 Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        throwTlsFailure(where, "no TLS handshake within the time-out");
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval wait{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0)
        throwTlsFailure(where, "no TLS handshake within the time-out");
    char buffer[16384];
    const int received = recv(socket, buffer, sizeof buffer, 0);
    if (received <= 0)
        throwTlsFailure(where, "the server closed the connection during the TLS handshake; does the port speak TLS?");
    pending.insert(pending.end(), buffer, buffer + received);
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
    ssl.fdwChecks = SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
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

void checkCertificate(const Context& context, const std::string& where, const std::string& host,
                      const TlsSettings& tls, const WinTrustStore* trustStore)
{
    if (!tls.verifyPeer)
        return;
    PCCERT_CONTEXT raw = nullptr;
    if (QueryContextAttributesA(const_cast<CtxtHandle*>(&context.handle), SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                                &raw) != SEC_E_OK ||
        raw == nullptr)
        throwTlsFailure(where, "the server sent no certificate");
    std::unique_ptr<const CERT_CONTEXT, CertificateRelease> certificate(raw);
    std::string problem =
        trustStore ? trustStore->problemWith(certificate.get()) : systemProblemWith(certificate.get());
    if (problem.empty() && tls.verifyHostName)
        problem = hostNameProblem(certificate.get(), host);
    if (!problem.empty())
        throwTlsFailure(where, problem);
}

}  // namespace

void handshakeTls(SOCKET socket, const std::string& where, const std::string& host,
                  const TlsSettings& tls, const WinTrustStore* trustStore, Clock::time_point deadline)
{
    Credentials credentials;
    acquire(credentials, where);
    Context context;
    const DWORD wanted = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                         ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;
    std::vector<char> pending;
    for (;;)
    {
        SecBuffer input[2] = {};
        input[0].BufferType = SECBUFFER_TOKEN;
        input[0].pvBuffer = pending.data();
        input[0].cbBuffer = static_cast<unsigned long>(pending.size());
        input[1].BufferType = SECBUFFER_EMPTY;
        SecBufferDesc inputDescription{SECBUFFER_VERSION, 2, input};
        SecBuffer output{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outputDescription{SECBUFFER_VERSION, 1, &output};
        DWORD granted = 0;
        const SECURITY_STATUS status = InitializeSecurityContextA(
            &credentials.handle, context.valid ? &context.handle : nullptr,
            context.valid ? nullptr : const_cast<char*>(host.c_str()), wanted, 0, 0,
            context.valid ? &inputDescription : nullptr, 0, &context.handle, &outputDescription, &granted,
            nullptr);
        if (!context.valid && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED))
            context.valid = true;
        if (output.pvBuffer != nullptr)
        {
            std::unique_ptr<void, decltype(&FreeContextBuffer)> token(output.pvBuffer, FreeContextBuffer);
            sendAll(socket, static_cast<const char*>(output.pvBuffer), output.cbBuffer, where, deadline);
        }
        if (status == SEC_E_INCOMPLETE_MESSAGE)
        {
            receiveMore(socket, pending, where, deadline);
            continue;
        }
        if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED)
            throwTlsFailure(where, "the TLS handshake failed: " + statusText(status));
        // Bytes of the next message that came with this one stay for it.
        if (context.valid && input[1].BufferType == SECBUFFER_EXTRA && input[1].cbBuffer > 0)
            pending.erase(pending.begin(), pending.end() - input[1].cbBuffer);
        else
            pending.clear();
        if (status == SEC_E_OK)
            break;
        if (pending.empty())
            receiveMore(socket, pending, where, deadline);
    }
    checkCertificate(context, where, host, tls, trustStore);
}

}  // namespace ClientDetail
}  // namespace Pegasus
