#include <Pegasus/Common/SSLContext.h>

#include <cstdio>

PEGASUS_NAMESPACE_BEGIN

// OpenSSL's X509_V_* verification results.
const int SSLCertificateInfo::V_OK = 0;
const int SSLCertificateInfo::V_ERR_UNABLE_TO_GET_ISSUER_CERT = 2;
const int SSLCertificateInfo::V_ERR_UNABLE_TO_GET_CRL = 3;
const int SSLCertificateInfo::V_ERR_UNABLE_TO_DECRYPT_CERT_SIGNATURE = 4;
const int SSLCertificateInfo::V_ERR_UNABLE_TO_DECRYPT_CRL_SIGNATURE = 5;
const int SSLCertificateInfo::V_ERR_UNABLE_TO_DECODE_ISSUER_PUBLIC_KEY = 6;
const int SSLCertificateInfo::V_ERR_CERT_SIGNATURE_FAILURE = 7;
const int SSLCertificateInfo::V_ERR_CRL_SIGNATURE_FAILURE = 8;
const int SSLCertificateInfo::V_ERR_CERT_NOT_YET_VALID = 9;
const int SSLCertificateInfo::V_ERR_CERT_HAS_EXPIRED = 10;
const int SSLCertificateInfo::V_ERR_CRL_NOT_YET_VALID = 11;
const int SSLCertificateInfo::V_ERR_CRL_HAS_EXPIRED = 12;
const int SSLCertificateInfo::V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD = 13;
const int SSLCertificateInfo::V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD = 14;
const int SSLCertificateInfo::V_ERR_ERROR_IN_CRL_LAST_UPDATE_FIELD = 15;
const int SSLCertificateInfo::V_ERR_ERROR_IN_CRL_NEXT_UPDATE_FIELD = 16;
const int SSLCertificateInfo::V_ERR_OUT_OF_MEM = 17;
const int SSLCertificateInfo::V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT = 18;
const int SSLCertificateInfo::V_ERR_SELF_SIGNED_CERT_IN_CHAIN = 19;
const int SSLCertificateInfo::V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY = 20;
const int SSLCertificateInfo::V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE = 21;
const int SSLCertificateInfo::V_ERR_CERT_CHAIN_TOO_LONG = 22;
const int SSLCertificateInfo::V_ERR_CERT_REVOKED = 23;
const int SSLCertificateInfo::V_ERR_INVALID_CA = 24;
const int SSLCertificateInfo::V_ERR_PATH_LENGTH_EXCEEDED = 25;
const int SSLCertificateInfo::V_ERR_INVALID_PURPOSE = 26;
const int SSLCertificateInfo::V_ERR_CERT_UNTRUSTED = 27;
const int SSLCertificateInfo::V_ERR_CERT_REJECTED = 28;
const int SSLCertificateInfo::V_ERR_SUBJECT_ISSUER_MISMATCH = 29;
const int SSLCertificateInfo::V_ERR_AKID_SKID_MISMATCH = 30;
const int SSLCertificateInfo::V_ERR_AKID_ISSUER_SERIAL_MISMATCH = 31;
const int SSLCertificateInfo::V_ERR_KEYUSAGE_NO_CERTSIGN = 32;
const int SSLCertificateInfo::V_ERR_APPLICATION_VERIFICATION = 50;

class SSLCertificateInfoRep
{
public:
    String subjectName;
    String issuerName;
    Uint32 versionNumber = 0;
    long serialNumber = 0;
    CIMDateTime notBefore;
    CIMDateTime notAfter;
    Uint32 depth = 0;
    Uint32 errorCode = 0;
    String errorString;
    Uint32 respCode = 0;
};

class SSLContextRep
{
public:
    String trustStore;
    String certPath;
    String keyPath;
    String crlPath;
    String randomFile;
    SSLCertificateVerifyFunction* verifyCert = nullptr;
};

////////////////////////////////////////////////////////////////////////////////
// SSLCertificateInfo

SSLCertificateInfo::SSLCertificateInfo(
    const String subjectName,
    const String issuerName,
    const int errorDepth,
    const int errorCode,
    const int respCode)
    : _rep(new SSLCertificateInfoRep())
{
    _rep->subjectName = subjectName;
    _rep->issuerName = issuerName;
    _rep->depth = Uint32(errorDepth);
    _rep->errorCode = Uint32(errorCode);
    _rep->respCode = Uint32(respCode);
}

SSLCertificateInfo::SSLCertificateInfo(
    const String subjectName,
    const String issuerName,
    const Uint32 versionNumber,
    const long serialNumber,
    const CIMDateTime notBefore,
    const CIMDateTime notAfter,
    const Uint32 depth,
    const Uint32 errorCode,
    const String errorString,
    const Uint32 respCode)
    : _rep(new SSLCertificateInfoRep())
{
    _rep->subjectName = subjectName;
    _rep->issuerName = issuerName;
    _rep->versionNumber = versionNumber;
    _rep->serialNumber = serialNumber;
    _rep->notBefore = notBefore;
    _rep->notAfter = notAfter;
    _rep->depth = depth;
    _rep->errorCode = errorCode;
    _rep->errorString = errorString;
    _rep->respCode = respCode;
}

SSLCertificateInfo::SSLCertificateInfo(const SSLCertificateInfo& certificateInfo)
    : _rep(new SSLCertificateInfoRep(*certificateInfo._rep))
{
}

SSLCertificateInfo::~SSLCertificateInfo()
{
    delete _rep;
}

String SSLCertificateInfo::getSubjectName() const
{
    return _rep->subjectName;
}

String SSLCertificateInfo::getIssuerName() const
{
    return _rep->issuerName;
}

CIMDateTime SSLCertificateInfo::getNotAfter() const
{
    return _rep->notAfter;
}

CIMDateTime SSLCertificateInfo::getNotBefore() const
{
    return _rep->notBefore;
}

Uint32 SSLCertificateInfo::getVersionNumber() const
{
    return _rep->versionNumber;
}

long SSLCertificateInfo::getSerialNumber() const
{
    return _rep->serialNumber;
}

Uint32 SSLCertificateInfo::getErrorDepth() const
{
    return _rep->depth;
}

Uint32 SSLCertificateInfo::getErrorCode() const
{
    return _rep->errorCode;
}

void SSLCertificateInfo::setErrorCode(const int errorCode)
{
    _rep->errorCode = Uint32(errorCode);
}

String SSLCertificateInfo::getErrorString() const
{
    return _rep->errorString;
}

Uint32 SSLCertificateInfo::getResponseCode() const
{
    return _rep->respCode;
}

void SSLCertificateInfo::setResponseCode(const int respCode)
{
    _rep->respCode = Uint32(respCode);
}

String SSLCertificateInfo::toString() const
{
    char numbers[160];
    std::snprintf(numbers, sizeof(numbers),
        "Version number: %u\nSerial number: %ld\nDepth: %u\nError code: %u\n"
        "Response (preverify) code: %u\n",
        _rep->versionNumber, _rep->serialNumber, _rep->depth, _rep->errorCode,
        _rep->respCode);
    String text("Subject Name: ");
    text.append(_rep->subjectName);
    text.append("\nIssuer Name: ");
    text.append(_rep->issuerName);
    text.append("\nNot before: ");
    text.append(_rep->notBefore.toString());
    text.append("\nNot after: ");
    text.append(_rep->notAfter.toString());
    text.append("\n");
    text.append(numbers);
    text.append("Error string: ");
    text.append(_rep->errorString);
    text.append("\n");
    return text;
}

////////////////////////////////////////////////////////////////////////////////
// SSLContext

SSLContext::SSLContext(
    const String& trustStore,
    SSLCertificateVerifyFunction* verifyCert,
    const String& randomFile)
    : SSLContext(trustStore, String(), String(), String(), verifyCert, randomFile)
{
}

SSLContext::SSLContext(
    const String& trustStore,
    const String& certPath,
    const String& keyPath,
    SSLCertificateVerifyFunction* verifyCert,
    const String& randomFile)
    : SSLContext(trustStore, certPath, keyPath, String(), verifyCert, randomFile)
{
}

SSLContext::SSLContext(
    const String& trustStore,
    const String& certPath,
    const String& keyPath,
    const String& crlPath,
    SSLCertificateVerifyFunction* verifyCert,
    const String& randomFile)
    : _rep(new SSLContextRep())
{
    _rep->trustStore = trustStore;
    _rep->certPath = certPath;
    _rep->keyPath = keyPath;
    _rep->crlPath = crlPath;
    _rep->randomFile = randomFile;
    _rep->verifyCert = verifyCert;
}

SSLContext::SSLContext(const SSLContext& sslContext)
    : _rep(new SSLContextRep(*sslContext._rep))
{
}

SSLContext::~SSLContext()
{
    delete _rep;
}

String SSLContext::getTrustStore() const
{
    return _rep->trustStore;
}

String SSLContext::getCertPath() const
{
    return _rep->certPath;
}

String SSLContext::getKeyPath() const
{
    return _rep->keyPath;
}

String SSLContext::getCRLPath() const
{
    return _rep->crlPath;
}

Boolean SSLContext::isPeerVerificationEnabled() const
{
    return _rep->trustStore.size() != 0 || _rep->verifyCert != nullptr;
}

SSLCertificateVerifyFunction* SSLContext::getSSLCertificateVerifyFunction() const
{
    return _rep->verifyCert;
}

PEGASUS_NAMESPACE_END
