#include <Pegasus/Client/CIMClientException.h>

#include <cstdio>

PEGASUS_NAMESPACE_BEGIN

namespace {

String httpErrorMessage(
    Uint32 httpStatusCode,
    const String& reasonPhrase,
    const String& cimError,
    const String& cimErrorDetail)
{
    char code[16];
    std::snprintf(code, sizeof(code), "%u", httpStatusCode);
    String message = "HTTP Error (";
    message.append(code);
    if (reasonPhrase.size())
    {
        message.append(" ");
        message.append(reasonPhrase);
    }
    message.append(")");
    if (cimError.size() || cimErrorDetail.size())
    {
        message.append(":");
        if (cimError.size())
        {
            message.append(" CIMError = \"");
            message.append(cimError);
            message.append("\"");
        }
        if (cimErrorDetail.size())
        {
            message.append(" Detail = \"");
            message.append(cimErrorDetail);
            message.append("\"");
        }
    }
    message.append(".");
    return message;
}

}  // namespace

CIMClientMalformedHTTPException::CIMClientMalformedHTTPException(const String& message)
    : Exception(message)
{
}

CIMClientHTTPErrorException::CIMClientHTTPErrorException(
    Uint32 httpStatusCode,
    const String& reasonPhrase,
    const String& cimError,
    const String& cimErrorDetail)
    : Exception(httpErrorMessage(httpStatusCode, reasonPhrase, cimError, cimErrorDetail)),
      _httpStatusCode(httpStatusCode),
      _reasonPhrase(reasonPhrase),
      _cimError(cimError),
      _cimErrorDetail(cimErrorDetail)
{
}

CIMClientHTTPErrorException::CIMClientHTTPErrorException(
    Uint32 httpStatusCode,
    const String& cimError,
    const String& cimErrorDetail)
    : CIMClientHTTPErrorException(httpStatusCode, String::EMPTY, cimError, cimErrorDetail)
{
}

CIMClientHTTPErrorException::CIMClientHTTPErrorException(
    const CIMClientHTTPErrorException& httpError) = default;

CIMClientHTTPErrorException::~CIMClientHTTPErrorException() = default;

CIMClientHTTPErrorException& CIMClientHTTPErrorException::operator=(
    const CIMClientHTTPErrorException& httpError) = default;

Uint32 CIMClientHTTPErrorException::getCode() const
{
    return _httpStatusCode;
}

String CIMClientHTTPErrorException::getCIMError() const
{
    return _cimError;
}

String CIMClientHTTPErrorException::getCIMErrorDetail() const
{
    return _cimErrorDetail;
}

CIMClientXmlException::CIMClientXmlException(const String& message) : Exception(message) {}

CIMClientResponseException::CIMClientResponseException(const String& message)
    : Exception(message)
{
}

PEGASUS_NAMESPACE_END
