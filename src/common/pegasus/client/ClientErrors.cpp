#include "ClientErrors.h"

#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Client/CIMClientFailureExceptions.h>
#include <Pegasus/Common/Exception.h>

namespace Pegasus {

CIMClientAuthenticationException::CIMClientAuthenticationException(
    const String& message, const String& cimErrorDetail)
    : CIMClientHTTPErrorException(401, "Unauthorized", String::EMPTY, cimErrorDetail)
{
    _message = message;
}

CIMClientTLSException::CIMClientTLSException(const String& message)
    : CannotConnectException(message)
{
}

CIMClientResponseTooLargeException::CIMClientResponseTooLargeException(const String& message)
    : CIMClientResponseException(message)
{
}

namespace ClientDetail {

namespace {

String toPegasus(const std::string& text)
{
    return String(text.data(), static_cast<Uint32>(text.size()));
}

// ConnectionTimeoutException only has OpenPegasus's fixed message; this
// one also says where and after how long.
class ConnectionTimeoutAtEndpoint : public ConnectionTimeoutException
{
public:
    explicit ConnectionTimeoutAtEndpoint(const String& message) { _message = message; }
};

// Same for HTTP errors: OpenPegasus's wording plus the endpoint.
class HttpErrorAtEndpoint : public CIMClientHTTPErrorException
{
public:
    HttpErrorAtEndpoint(const String& message, Uint32 status, const String& reason,
                        const String& cimError, const String& detail)
        : CIMClientHTTPErrorException(status, reason, cimError, detail)
    {
        _message = message;
    }
};

}  // namespace

void throwCannotConnect(const std::string& where, const std::string& reason)
{
    throw CannotConnectException(toPegasus("Cannot connect to the CIM server at " + where +
                                           ": " + reason));
}

void throwTlsFailure(const std::string& where, const std::string& reason)
{
    throw CIMClientTLSException(toPegasus("TLS connection to the CIM server at " + where +
                                          " failed: " + reason));
}

void throwTimeout(const std::string& where, unsigned long timeoutMs)
{
    throw ConnectionTimeoutAtEndpoint(toPegasus(
        "The CIM server at " + where + " did not answer within " +
        std::to_string(timeoutMs) + " ms; the connection was closed"));
}

void throwMalformedHttp(const std::string& where, const std::string& reason)
{
    throw CIMClientMalformedHTTPException(toPegasus(
        "Malformed HTTP response from the CIM server at " + where + ": " + reason));
}

void throwResponseTooLarge(const std::string& where, std::size_t limitBytes)
{
    throw CIMClientResponseTooLargeException(toPegasus(
        "The response from the CIM server at " + where + " exceeds the limit of " +
        std::to_string(limitBytes) + " bytes; the connection was closed"));
}

void throwMalformedXml(const std::string& where, const std::string& reason)
{
    throw CIMClientXmlException(toPegasus(
        "Malformed CIM-XML response from the CIM server at " + where + ": " + reason));
}

void throwUnexpectedResponse(const std::string& where, const std::string& reason)
{
    throw CIMClientResponseException(toPegasus(
        "Unexpected response from the CIM server at " + where + ": " + reason));
}

void throwHttpError(const std::string& where, unsigned status, const std::string& reason,
                    const std::string& cimError, const std::string& cimErrorDetail)
{
    std::string message = "HTTP error " + std::to_string(status);
    if (!reason.empty())
        message += " (" + reason + ")";
    message += " from the CIM server at " + where;
    if (!cimError.empty())
        message += "; CIMError: " + cimError;
    if (!cimErrorDetail.empty())
        message += "; detail: " + cimErrorDetail;
    throw HttpErrorAtEndpoint(toPegasus(message), status, toPegasus(reason),
                              toPegasus(cimError), toPegasus(cimErrorDetail));
}

void throwAuthenticationFailed(const std::string& where, const std::string& userName,
                               bool credentialsSent)
{
    std::string message = "Authentication failed (HTTP 401 Unauthorized) at the CIM server at " +
                          where + ": ";
    message += credentialsSent
                   ? (userName.empty() ? "no user name was given"
                                       : "user \"" + userName + "\" or its password was rejected")
                   : "the server did not accept the request";
    throw CIMClientAuthenticationException(toPegasus(message), String::EMPTY);
}

void throwCimError(unsigned code, const std::string& description)
{
    throw CIMException(static_cast<CIMStatusCode>(code), toPegasus(description));
}

}  // namespace ClientDetail
}  // namespace Pegasus
