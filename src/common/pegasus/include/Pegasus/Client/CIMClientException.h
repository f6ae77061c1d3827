// Client-side failures: malformed HTTP, HTTP error statuses, undecodable
// XML and unexpected response content.
#ifndef Pegasus_ClientException_h
#define Pegasus_ClientException_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_CLIENT_LINKAGE CIMClientMalformedHTTPException : public Exception
{
public:
    CIMClientMalformedHTTPException(const String& message);
};

// getMessage() is "HTTP Error (401 Unauthorized)." or, with CIMError or
// detail present, "HTTP Error (400 Bad Request): CIMError = \"x\" Detail =
// \"y\"." (each part only when not empty).
class PEGASUS_CLIENT_LINKAGE CIMClientHTTPErrorException : public Exception
{
public:
    CIMClientHTTPErrorException(
        Uint32 httpStatusCode,
        const String& reasonPhrase,
        const String& cimError,
        const String& cimErrorDetail);
    CIMClientHTTPErrorException(
        Uint32 httpStatusCode,
        const String& cimError,
        const String& cimErrorDetail);
    CIMClientHTTPErrorException(const CIMClientHTTPErrorException& httpError);
    virtual ~CIMClientHTTPErrorException();
    CIMClientHTTPErrorException& operator=(
        const CIMClientHTTPErrorException& httpError);

    Uint32 getCode() const;
    String getCIMError() const;
    String getCIMErrorDetail() const;

private:
    Uint32 _httpStatusCode;
    String _reasonPhrase;
    String _cimError;
    String _cimErrorDetail;
};

class PEGASUS_CLIENT_LINKAGE CIMClientXmlException : public Exception
{
public:
    CIMClientXmlException(const String& message);
};

class PEGASUS_CLIENT_LINKAGE CIMClientResponseException : public Exception
{
public:
    CIMClientResponseException(const String& message);
};

PEGASUS_NAMESPACE_END

#endif /* Pegasus_ClientException_h */
