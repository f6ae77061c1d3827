#include "tls_probe.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <memory>

namespace Quillet::Cli {
namespace {

std::string OpenSslErrors()
{
    std::string text;
    while (const unsigned long code = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        text += (text.empty() ? "" : "; ") + std::string(buffer);
    }
    return text;
}

void SetSocketTimeouts(int fd, std::chrono::milliseconds timeout)
{
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    limit.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

// The certificate must name `host`: an IP literal is matched against the
// certificate's IP addresses, a name against its DNS names (and sent as SNI).
bool ExpectHost(SSL* tls, const std::string& host)
{
    X509_VERIFY_PARAM* parameters = SSL_get0_param(tls);
    X509_VERIFY_PARAM_set_hostflags(parameters, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    if (X509_VERIFY_PARAM_set1_ip_asc(parameters, host.c_str()) == 1) {
        return true;
    }
    ERR_clear_error();
    return X509_VERIFY_PARAM_set1_host(parameters, host.c_str(), host.size()) == 1 &&
           SSL_set_tlsext_host_name(tls, host.c_str()) == 1;
}

}  // namespace

std::optional<HostFailure> CheckTls(const ConnectedSocket& socket, const std::string& where, const std::string& host,
                                    const std::string& caFile, std::chrono::milliseconds timeout)
{
    ERR_clear_error();
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
    if (!context) {
        return HostFailure{FailureKind::TlsFailure, "cannot set up TLS: " + OpenSslErrors()};
    }
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    if (!caFile.empty()) {
        if (SSL_CTX_load_verify_locations(context.get(), caFile.c_str(), nullptr) != 1) {
            return HostFailure{FailureKind::TlsFailure,
                               "cannot load the CA file '" + caFile + "': " + OpenSslErrors()};
        }
        SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
    }
    std::unique_ptr<SSL, decltype(&SSL_free)> tls(SSL_new(context.get()), SSL_free);
    if (!caFile.empty() && !ExpectHost(tls.get(), host)) {
        return HostFailure{FailureKind::TlsFailure, "cannot set up the host name check for '" + host + "': " +
                                                        OpenSslErrors()};
    }
    SetSocketTimeouts(socket.Fd(), timeout);
    SSL_set_fd(tls.get(), socket.Fd());
    if (SSL_connect(tls.get()) == 1) {
        SSL_shutdown(tls.get());
        return std::nullopt;
    }
    const long verification = SSL_get_verify_result(tls.get());
    if (!caFile.empty() && verification != X509_V_OK) {
        return HostFailure{FailureKind::TlsFailure,
                           "the certificate of " + where + " does not verify against '" + caFile +
                               "': " + X509_verify_cert_error_string(verification)};
    }
    const std::string errors = OpenSslErrors();
    return HostFailure{FailureKind::TlsFailure,
                       "TLS handshake with " + where + " failed" +
                           (errors.empty() ? " (no answer, or the connection was closed)" : ": " + errors)};
}

}  // namespace Quillet::Cli
