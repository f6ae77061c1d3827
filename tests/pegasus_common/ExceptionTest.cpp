// Exception texts: callers log getMessage(), so the wording follows
// OpenPegasus.
#include <gtest/gtest.h>

#include <string>

#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/SSLContext.h>

using namespace Pegasus;

namespace {

std::string messageOf(const Exception& e)
{
    return std::string(static_cast<const char*>(e.getMessage().getCString()));
}

TEST(ExceptionTexts, CommonExceptions)
{
    EXPECT_EQ(messageOf(IndexOutOfBoundsException()), "index out of bounds");
    EXPECT_EQ(messageOf(UninitializedObjectException()), "uninitialized object");
    EXPECT_EQ(messageOf(TypeMismatchException()), "type mismatch");
    EXPECT_EQ(messageOf(InvalidNamespaceNameException("a b")), "invalid CIM namespace name: a b");
    EXPECT_EQ(messageOf(CannotConnectException("refused")), "refused");
    EXPECT_EQ(messageOf(ConnectionTimeoutException()), "connection timed out");
    EXPECT_EQ(messageOf(NotConnectedException()), "not connected");
    EXPECT_EQ(messageOf(AlreadyConnectedException()), "already connected");
    EXPECT_EQ(messageOf(SSLException("handshake")), "SSL Exception: handshake");
}

TEST(ExceptionTexts, CIMExceptionKeepsCodeAndDescription)
{
    CIMException error(CIM_ERR_INVALID_CLASS, "CIM_ERR_INVALID_CLASS: MLNX_NoSuchClass");
    CIMException copy(error);
    EXPECT_EQ(copy.getCode(), CIM_ERR_INVALID_CLASS);
    EXPECT_EQ(messageOf(copy), "CIM_ERR_INVALID_CLASS: MLNX_NoSuchClass");
    try
    {
        throw copy;
    }
    catch (const Exception& caught)
    {
        EXPECT_EQ(messageOf(caught), "CIM_ERR_INVALID_CLASS: MLNX_NoSuchClass");
    }
    EXPECT_STREQ(cimStatusCodeToString(CIM_ERR_METHOD_NOT_AVAILABLE), "CIM_ERR_METHOD_NOT_AVAILABLE");
    EXPECT_STREQ(cimStatusCodeToString(CIMStatusCode(99)), "Unrecognized CIM status code");
    EXPECT_STREQ(cimTypeToString(CIMTYPE_REFERENCE), "reference");
}

TEST(ExceptionTexts, HttpErrorsNameStatusReasonAndDetails)
{
    CIMClientHTTPErrorException unauthorized(401, "Unauthorized", "", "");
    EXPECT_EQ(messageOf(unauthorized), "HTTP Error (401 Unauthorized).");
    EXPECT_EQ(unauthorized.getCode(), 401u);

    CIMClientHTTPErrorException mismatch(400, "Bad Request", "header-mismatch", "CIMMethod");
    EXPECT_EQ(messageOf(mismatch),
        "HTTP Error (400 Bad Request): CIMError = \"header-mismatch\" Detail = \"CIMMethod\".");
    EXPECT_EQ(mismatch.getCIMError(), "header-mismatch");
    EXPECT_EQ(messageOf(CIMClientHTTPErrorException(500, "", "detail")),
        "HTTP Error (500): Detail = \"detail\".");
    EXPECT_EQ(messageOf(CIMClientXmlException("bad xml")), "bad xml");
}

Boolean acceptAll(SSLCertificateInfo&)
{
    return true;
}

TEST(SSLContextTest, HoldsPathsAndCallback)
{
    SSLContext none("", nullptr);
    EXPECT_FALSE(none.isPeerVerificationEnabled());

    SSLContext trusting("/etc/ssl/ca.pem", nullptr);
    EXPECT_TRUE(trusting.isPeerVerificationEnabled());
    EXPECT_EQ(trusting.getTrustStore(), "/etc/ssl/ca.pem");

    SSLContext full("ca.pem", "client.pem", "client.key", "crl.pem", acceptAll, "");
    SSLContext copy(full);
    EXPECT_EQ(copy.getCertPath(), "client.pem");
    EXPECT_EQ(copy.getKeyPath(), "client.key");
    EXPECT_EQ(copy.getCRLPath(), "crl.pem");
    SSLCertificateInfo info("CN=server", "CN=ca", 0, SSLCertificateInfo::V_OK, 1);
    EXPECT_TRUE(copy.getSSLCertificateVerifyFunction()(info));
    EXPECT_EQ(info.getSubjectName(), "CN=server");
}

}  // namespace
