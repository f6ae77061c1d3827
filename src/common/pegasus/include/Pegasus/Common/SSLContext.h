// TLS settings for a client connection: trust store, client certificate
// and key, CRL and an optional certificate verification callback. This is
// a plain holder; the transport decides how to apply it.
#ifndef Pegasus_SSLContext_h
#define Pegasus_SSLContext_h

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class SSLCertificateInfo;
class SSLCertificateInfoRep;
class SSLContextRep;

// Returns true to accept the peer certificate described by certInfo.
typedef Boolean(SSLCertificateVerifyFunction)(SSLCertificateInfo& certInfo);

// What the verification callback learns about one certificate of the peer's
// chain. The V_* codes are OpenSSL's X509_V_* verification results.
class PEGASUS_COMMON_LINKAGE SSLCertificateInfo
{
public:
    static const int V_OK;
    static const int V_ERR_UNABLE_TO_GET_ISSUER_CERT;
    static const int V_ERR_UNABLE_TO_GET_CRL;
    static const int V_ERR_UNABLE_TO_DECRYPT_CERT_SIGNATURE;
    static const int V_ERR_UNABLE_TO_DECRYPT_CRL_SIGNATURE;
    static const int V_ERR_UNABLE_TO_DECODE_ISSUER_PUBLIC_KEY;
    static const int V_ERR_CERT_SIGNATURE_FAILURE;
    static const int V_ERR_CRL_SIGNATURE_FAILURE;
    static const int V_ERR_CERT_NOT_YET_VALID;
    static const int V_ERR_CERT_HAS_EXPIRED;
    static const int V_ERR_CRL_NOT_YET_VALID;
    static const int V_ERR_CRL_HAS_EXPIRED;
    static const int V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD;
    static const int V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD;
    static const int V_ERR_ERROR_IN_CRL_LAST_UPDATE_FIELD;
    static const int V_ERR_ERROR_IN_CRL_NEXT_UPDATE_FIELD;
    static const int V_ERR_OUT_OF_MEM;
    static const int V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT;
    static const int V_ERR_SELF_SIGNED_CERT_IN_CHAIN;
    static const int V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY;
    static const int V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE;
    static const int V_ERR_CERT_CHAIN_TOO_LONG;
    static const int V_ERR_CERT_REVOKED;
    static const int V_ERR_INVALID_CA;
    static const int V_ERR_PATH_LENGTH_EXCEEDED;
    static const int V_ERR_INVALID_PURPOSE;
    static const int V_ERR_CERT_UNTRUSTED;
    static const int V_ERR_CERT_REJECTED;
    static const int V_ERR_SUBJECT_ISSUER_MISMATCH;
    static const int V_ERR_AKID_SKID_MISMATCH;
    static const int V_ERR_AKID_ISSUER_SERIAL_MISMATCH;
    static const int V_ERR_KEYUSAGE_NO_CERTSIGN;
    static const int V_ERR_APPLICATION_VERIFICATION;

    SSLCertificateInfo(
        const String subjectName,
        const String issuerName,
        const int errorDepth,
        const int errorCode,
        const int respCode);
    // The full form, for the transport that inspects the certificate.
    SSLCertificateInfo(
        const String subjectName,
        const String issuerName,
        const Uint32 versionNumber,
        const long serialNumber,
        const CIMDateTime notBefore,
        const CIMDateTime notAfter,
        const Uint32 depth,
        const Uint32 errorCode,
        const String errorString,
        const Uint32 respCode);
    SSLCertificateInfo(const SSLCertificateInfo& certificateInfo);
    ~SSLCertificateInfo();

    String getSubjectName() const;
    String getIssuerName() const;
    CIMDateTime getNotAfter() const;
    CIMDateTime getNotBefore() const;
    Uint32 getVersionNumber() const;
    long getSerialNumber() const;
    Uint32 getErrorDepth() const;
    Uint32 getErrorCode() const;
    void setErrorCode(const int errorCode);
    String getErrorString() const;
    Uint32 getResponseCode() const;
    void setResponseCode(const int respCode);
    String toString() const;

private:
    SSLCertificateInfo();
    SSLCertificateInfo& operator=(const SSLCertificateInfo& sslCertificateInfo);

    SSLCertificateInfoRep* _rep;
};

class PEGASUS_COMMON_LINKAGE SSLContext
{
public:
    // verifyCert may be null: then the peer is verified against the trust
    // store alone. An empty trust store with no callback means the peer is
    // not verified at all (isPeerVerificationEnabled() is false).
    SSLContext(
        const String& trustStore,
        SSLCertificateVerifyFunction* verifyCert,
        const String& randomFile = String::EMPTY);
    SSLContext(
        const String& trustStore,
        const String& certPath,
        const String& keyPath,
        SSLCertificateVerifyFunction* verifyCert,
        const String& randomFile);
    SSLContext(
        const String& trustStore,
        const String& certPath,
        const String& keyPath,
        const String& crlPath,
        SSLCertificateVerifyFunction* verifyCert,
        const String& randomFile);
    SSLContext(const SSLContext& sslContext);
    ~SSLContext();

    String getTrustStore() const;
    String getCertPath() const;
    String getKeyPath() const;
    String getCRLPath() const;
    Boolean isPeerVerificationEnabled() const;
    SSLCertificateVerifyFunction* getSSLCertificateVerifyFunction() const;

private:
    SSLContext();
    SSLContext& operator=(const SSLContext& sslContext);

    SSLContextRep* _rep;
};

PEGASUS_NAMESPACE_END

#endif /* Pegasus_SSLContext_h */
