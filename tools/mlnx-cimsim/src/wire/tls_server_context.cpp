#include "wire/tls_server_context.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace mlnx_cimsim {

namespace {

std::string lastOpensslError() {
    unsigned long error = ERR_get_error();
    if (error == 0) {
        return "no detail from OpenSSL";
    }
    char text[256];
    ERR_error_string_n(error, text, sizeof text);
    return text;
}

struct X509Deleter {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct KeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct BioDeleter {
    void operator()(BIO* bio) const { BIO_free(bio); }
};

void addExtension(X509* certificate, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) {
        throw TlsError("cannot build certificate extension " + std::string(value) + ": " + lastOpensslError());
    }
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

std::string pemOf(X509* certificate) {
    std::unique_ptr<BIO, BioDeleter> bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509(bio.get(), certificate);
    char* data = nullptr;
    long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(size));
}

}  // namespace

TlsServerContext::TlsServerContext(const std::string& certificateFile, const std::string& keyFile) {
    context_ = SSL_CTX_new(TLS_server_method());
    if (context_ == nullptr) {
        throw TlsError("SSL_CTX_new failed: " + lastOpensslError());
    }
    // Like the OpenPegasus servers this stands in for, only TLS 1.2 is spoken.
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(context_, TLS1_2_VERSION);

    if (!certificateFile.empty() || !keyFile.empty()) {
        if (certificateFile.empty() || keyFile.empty()) {
            throw TlsError("--cert and --key go together");
        }
        if (SSL_CTX_use_certificate_chain_file(context_, certificateFile.c_str()) != 1) {
            throw TlsError("cannot load certificate " + certificateFile + ": " + lastOpensslError());
        }
        if (SSL_CTX_use_PrivateKey_file(context_, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
            throw TlsError("cannot load private key " + keyFile + ": " + lastOpensslError());
        }
        if (SSL_CTX_check_private_key(context_) != 1) {
            throw TlsError("key " + keyFile + " does not match certificate " + certificateFile);
        }
        certificatePem_ = pemOf(SSL_CTX_get0_certificate(context_));
        return;
    }

    std::unique_ptr<EVP_PKEY, KeyDeleter> key(EVP_EC_gen("P-256"));
    if (!key) {
        throw TlsError("cannot generate an EC key: " + lastOpensslError());
    }
    std::unique_ptr<X509, X509Deleter> certificate(X509_new());
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 365L * 24 * 3600);
    X509_set_pubkey(certificate.get(), key.get());
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("mlnx-cimsim"), -1,
                               -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("localhost"), -1,
                               -1, 0);
    X509_set_issuer_name(certificate.get(), name);
    addExtension(certificate.get(), NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
    addExtension(certificate.get(), NID_basic_constraints, "critical,CA:TRUE");
    if (X509_sign(certificate.get(), key.get(), EVP_sha256()) == 0) {
        throw TlsError("cannot sign the generated certificate: " + lastOpensslError());
    }
    if (SSL_CTX_use_certificate(context_, certificate.get()) != 1 ||
        SSL_CTX_use_PrivateKey(context_, key.get()) != 1) {
        throw TlsError("cannot install the generated certificate: " + lastOpensslError());
    }
    certificatePem_ = pemOf(certificate.get());
}

TlsServerContext::~TlsServerContext() { SSL_CTX_free(context_); }

SSL* TlsServerContext::accept(int fd) const {
    SSL* ssl = SSL_new(context_);
    if (ssl == nullptr) {
        throw TlsError("SSL_new failed: " + lastOpensslError());
    }
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) != 1) {
        std::string reason = lastOpensslError();
        SSL_free(ssl);
        throw TlsError("TLS handshake failed: " + reason);
    }
    return ssl;
}

}  // namespace mlnx_cimsim
