#include "CIMClientRep.h"

#include "ClientErrors.h"
#include "codec/ResponseDecoder.h"
#include "codec/ResponseHeaders.h"
#include "codec/TextEncoding.h"

#include <Pegasus/Common/Exception.h>

#include <charconv>
#include <chrono>

namespace Pegasus {

using namespace ClientDetail;

namespace {

std::string utf8(const String& text)
{
    return std::string(static_cast<const char*>(text.getCString()));
}

std::string headerOrEmpty(const HttpHeaders& headers, std::string_view name)
{
    const std::string* value = findHeader(headers, name);
    return value ? *value : std::string();
}

// A CIM error reported in the CIMStatusCode field, which OpenPegasus
// servers send as a trailer of chunked responses.
void raiseStatusField(const HttpHeaders& fields)
{
    const std::string* code = findHeader(fields, "CIMStatusCode");
    if (!code)
        return;
    unsigned value = 0;
    auto [end, error] = std::from_chars(code->data(), code->data() + code->size(), value);
    if (error != std::errc() || end != code->data() + code->size() || value == 0)
        return;
    throwCimError(value, decodeUriCharacters(headerOrEmpty(fields, "CIMStatusCodeDescription")));
}

}  // namespace

CIMClientRep::CIMClientRep(std::unique_ptr<HttpTransport> transport)
    : _transport(std::move(transport))
{
}

void CIMClientRep::connect(const Endpoint& endpoint, const String& userName,
                           const String& password)
{
    if (_connected)
        throw AlreadyConnectedException();
    _where = endpoint.describe();
    _hostField = _where;
    _userName = utf8(userName);
    _authorization = "Basic " + encodeBase64(_userName + ":" + utf8(password));
    _challenged = false;
    _transport->open(endpoint, std::chrono::milliseconds(_timeoutMs));
    _connected = true;
}

void CIMClientRep::disconnect()
{
    _transport->close();
    _connected = false;
    _authorization.clear();
    _challenged = false;
}

std::string CIMClientRep::exchange(const CimRequest& request, Uint32 messageId,
                                   ResponseContext& context)
{
    if (!_connected)
        throw NotConnectedException();
    context.where = _where;
    context.messageId = messageId;
    context.operation = request.cimMethod;

    const std::chrono::milliseconds timeout(_timeoutMs);
    bool sentCredentials = _challenged;
    HttpResponse response = _transport->post(
        "/cimom", makeHttpRequest(request, _hostField, sentCredentials ? _authorization : ""),
        timeout);
    if (response.status == 401 && !sentCredentials)
    {
        // Basic credentials only after the server asked for them, on the
        // same connection and with the same MESSAGE ID.
        _challenged = true;
        sentCredentials = true;
        response = _transport->post("/cimom", makeHttpRequest(request, _hostField, _authorization),
                                    timeout);
    }
    if (response.status == 401)
        throwAuthenticationFailed(_where, _userName, sentCredentials);

    const std::string cimError = headerOrEmpty(response.headers, "CIMError");
    if (response.status != 200 || !cimError.empty())
    {
        throwHttpError(_where, response.status, response.reason, cimError,
                       decodeUriCharacters(headerOrEmpty(response.headers, "PGErrorDetail")));
    }
    checkResponseHeaders(response.headers, _where);
    raiseStatusField(response.trailers);
    raiseStatusField(response.headers);
    return std::move(response.body);
}

Array<CIMInstance> CIMClientRep::enumerateInstances(const CIMNamespaceName& nameSpace,
                                                    const CIMName& className,
                                                    Boolean deepInheritance, Boolean localOnly,
                                                    Boolean includeQualifiers,
                                                    Boolean includeClassOrigin,
                                                    const CIMPropertyList& propertyList)
{
    const Uint32 id = _nextMessageId++;
    CimRequest request = encodeEnumerateInstancesRequest(id, nameSpace, className,
                                                         deepInheritance, localOnly,
                                                         includeQualifiers, includeClassOrigin,
                                                         propertyList);
    ResponseContext context;
    std::string body = exchange(request, id, context);
    return decodeEnumerateInstancesResponse(body, context);
}

CIMInstance CIMClientRep::getInstance(const CIMNamespaceName& nameSpace,
                                      const CIMObjectPath& instanceName, Boolean localOnly,
                                      Boolean includeQualifiers, Boolean includeClassOrigin,
                                      const CIMPropertyList& propertyList)
{
    const Uint32 id = _nextMessageId++;
    CimRequest request = encodeGetInstanceRequest(id, nameSpace, instanceName, localOnly,
                                                  includeQualifiers, includeClassOrigin,
                                                  propertyList);
    ResponseContext context;
    std::string body = exchange(request, id, context);
    CIMInstance instance = decodeGetInstanceResponse(body, context);
    // As OpenPegasus's CIMClient::getInstance: the path is the class name
    // alone, without keys, namespace or host.
    instance.setPath(CIMObjectPath(String(), CIMNamespaceName(), instance.getClassName()));
    return instance;
}

Array<CIMObjectPath> CIMClientRep::enumerateInstanceNames(const CIMNamespaceName& nameSpace,
                                                          const CIMName& className)
{
    const Uint32 id = _nextMessageId++;
    CimRequest request = encodeEnumerateInstanceNamesRequest(id, nameSpace, className);
    ResponseContext context;
    std::string body = exchange(request, id, context);
    return decodeEnumerateInstanceNamesResponse(body, context);
}

CIMValue CIMClientRep::invokeMethod(const CIMNamespaceName& nameSpace,
                                    const CIMObjectPath& instanceName, const CIMName& methodName,
                                    const Array<CIMParamValue>& inParameters,
                                    Array<CIMParamValue>& outParameters)
{
    const Uint32 id = _nextMessageId++;
    CimRequest request =
        encodeInvokeMethodRequest(id, nameSpace, instanceName, methodName, inParameters);
    ResponseContext context;
    std::string body = exchange(request, id, context);
    MethodResult result = decodeInvokeMethodResponse(body, context);
    outParameters = result.outParameters;
    return result.returnValue;
}

}  // namespace Pegasus
