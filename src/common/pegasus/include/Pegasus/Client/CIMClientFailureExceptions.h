#ifndef Pegasus_Client_CIMClientFailureExceptions_h
#define Pegasus_Client_CIMClientFailureExceptions_h

// Failure kinds this client tells apart beyond OpenPegasus's own classes.
// Each derives from the class OpenPegasus raises for the same failure, so
// code written for OpenPegasus catches them unchanged.

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Client/CIMClientException.h>

PEGASUS_NAMESPACE_BEGIN

// The server answered 401 to the request sent with credentials.
class PEGASUS_CLIENT_LINKAGE CIMClientAuthenticationException
    : public CIMClientHTTPErrorException
{
public:
    CIMClientAuthenticationException(const String& message, const String& cimErrorDetail);
};

// The TLS handshake failed (protocol, certificate or trust store).
class PEGASUS_CLIENT_LINKAGE CIMClientTLSException : public CannotConnectException
{
public:
    CIMClientTLSException(const String& message);
};

// The response body grew past the client's size limit.
class PEGASUS_CLIENT_LINKAGE CIMClientResponseTooLargeException
    : public CIMClientResponseException
{
public:
    CIMClientResponseTooLargeException(const String& message);
};

PEGASUS_NAMESPACE_END

#endif
