#include "CIMClientRep.h"

#include "ChallengeFile.h"
#include "ClientErrors.h"
#include "ListenerOwner.h"
#include "LocalAuthentication.h"
#include "LocalServer.h"
#include "codec/ResponseDecoder.h"
#include "codec/ResponseHeaders.h"
#include "codec/TextEncoding.h"

#include <Pegasus/Client/CIMClientFailureExceptions.h>
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
    _localAuthentication = false;
    openTransport(endpoint);
}

void CIMClientRep::connectLocal(const std::vector<LocalServerCandidate>& candidates)
{
    if (_connected)
        throw AlreadyConnectedException();
    const std::string user = effectiveUserName();
    std::string reasons;
    auto note = [&reasons](const std::string& reason) {
        reasons += (reasons.empty() ? "" : "; ") + reason;
    };
    for (const LocalServerCandidate& candidate : candidates)
    {
        Endpoint endpoint = candidate.endpoint;
        endpoint.requireTrustedListener = candidate.checkListener && endpoint.unixSocket.empty();
        if (candidate.checkListener)
        {
            const std::string untrusted = untrustedListenerReason(endpoint);
            if (!untrusted.empty())
            {
                note(endpoint.describe() + " refused: " + untrusted);
                continue;
            }
        }
        try
        {
            openTransport(endpoint);
        }
        catch (const CannotConnectException& e)
        {
            if (candidates.size() == 1)
                throw;
            // OpenPegasus goes on to the next way to the server alike.
            note(utf8(e.getMessage()));
            continue;
        }
        _where = endpoint.describe();
        _hostField = endpoint.unixSocket.empty() ? _where : "localhost";
        _userName = user;
        _authorization.clear();
        _challenged = false;
        _localAuthentication = true;
        _challengeFolders = candidate.challengeFolders;
        return;
    }
    throwCannotConnect("this host", "no trusted local CIM server answered (" + reasons + ")");
}

void CIMClientRep::openTransport(const Endpoint& endpoint)
{
    _transport->open(endpoint, std::chrono::milliseconds(_timeoutMs));
    _connected = true;
}

void CIMClientRep::disconnect()
{
    _transport->close();
    _connected = false;
    _authorization.clear();
    _challenged = false;
    _localAuthentication = false;
    _challengeFolders.clear();
}

HttpResponse CIMClientRep::post(const CimRequest& request, const std::string& field,
                                const std::string& value, std::chrono::milliseconds timeout)
{
    HttpRequest http = makeHttpRequest(request, _hostField, "");
    if (!value.empty())
        http.headers.push_back({field, value});
    return _transport->post("/cimom", http, timeout);
}

HttpResponse CIMClientRep::exchangeBasic(const CimRequest& request,
                                         std::chrono::milliseconds timeout)
{
    bool sentCredentials = _challenged;
    HttpResponse response =
        post(request, "Authorization", sentCredentials ? _authorization : "", timeout);
    if (response.status == 401 && !sentCredentials)
    {
        // Basic credentials only after the server asked for them, on the
        // same connection and with the same MESSAGE ID.
        _challenged = true;
        sentCredentials = true;
        response = post(request, "Authorization", _authorization, timeout);
    }
    if (response.status == 401)
        throwAuthenticationFailed(_where, _userName, sentCredentials);
    return response;
}

// Every request names the user; a 401 (on a new connection, or whenever the
// server asks again) is answered with the challenge file's text, once per
// request.
HttpResponse CIMClientRep::exchangeLocal(const CimRequest& request,
                                         std::chrono::milliseconds timeout)
{
    HttpResponse response =
        post(request, kLocalAuthorizationField, localIdentification(_userName), timeout);
    if (response.status != 401)
        return response;
    const std::optional<std::string> path = localChallengePath(response.headers);
    if (!path)
    {
        const std::string* offered = findHeader(response.headers, "WWW-Authenticate");
        throw CIMClientAuthenticationException(
            String(("Local authentication at the CIM server at " + _where +
                    " failed: the server answered 401 without a Local challenge (" +
                    (offered ? "WWW-Authenticate: " + *offered : "no WWW-Authenticate") + ")")
                       .c_str()),
            String::EMPTY);
    }
    // The only text of a file that ever leaves this process, and only
    // after readTrustedChallengeFile has passed it.
    const std::string content = readTrustedChallengeFile(*path, _challengeFolders, _where);
    response = post(request, kLocalAuthorizationField,
                    localChallengeAnswer(_userName, *path, content), timeout);
    if (response.status == 401)
    {
        throw CIMClientAuthenticationException(
            String(("Local authentication at the CIM server at " + _where + " failed: user \"" +
                    _userName + "\" and the answer from the challenge file " + *path +
                    " were rejected")
                       .c_str()),
            String::EMPTY);
    }
    return response;
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
    HttpResponse response =
        _localAuthentication ? exchangeLocal(request, timeout) : exchangeBasic(request, timeout);

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
