#pragma once
// The server side of TLS: a context with the given certificate and key, or with a
// self-signed certificate for 127.0.0.1/localhost made at start.

#include <openssl/ssl.h>

#include <stdexcept>
#include <string>

namespace mlnx_cimsim {

class TlsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TlsServerContext {
public:
    // Empty paths generate a key and a self-signed certificate.
    TlsServerContext(const std::string& certificateFile, const std::string& keyFile);
    ~TlsServerContext();
    TlsServerContext(const TlsServerContext&) = delete;
    TlsServerContext& operator=(const TlsServerContext&) = delete;

    // PEM text of the certificate in use, for clients that want to verify it.
    const std::string& certificatePem() const { return certificatePem_; }
    // Runs the handshake on an accepted socket; the returned SSL belongs to the caller.
    SSL* accept(int fd) const;

private:
    SSL_CTX* context_ = nullptr;
    std::string certificatePem_;
};

}  // namespace mlnx_cimsim
