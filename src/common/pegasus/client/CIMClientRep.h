#ifndef Pegasus_Client_CIMClientRep_h
#define Pegasus_Client_CIMClientRep_h

#include "codec/RequestEncoder.h"
#include "transport/HttpTransport.h"

#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/SSLContext.h>

#include <memory>
#include <string>
#include <vector>

namespace Pegasus {
namespace ClientDetail {
struct ResponseContext;
struct LocalServerCandidate;
}

// The implementation behind CIMClient: one transport, the credentials, the
// message counter, and the exchange of one CIM request for its response.
class CIMClientRep
{
public:
    explicit CIMClientRep(std::unique_ptr<ClientDetail::HttpTransport> transport);

    Uint32 getTimeout() const { return _timeoutMs; }
    void setTimeout(Uint32 timeoutMs) { _timeoutMs = timeoutMs; }

    void connect(const ClientDetail::Endpoint& endpoint, const String& userName,
                 const String& password);
    // The first of `candidates` that is trusted and accepts, with Local
    // authentication as the process's own user; raises
    // CannotConnectException naming every candidate's reason when none does.
    void connectLocal(const std::vector<ClientDetail::LocalServerCandidate>& candidates);
    void disconnect();

    Array<CIMInstance> enumerateInstances(const CIMNamespaceName& nameSpace,
                                          const CIMName& className, Boolean deepInheritance,
                                          Boolean localOnly, Boolean includeQualifiers,
                                          Boolean includeClassOrigin,
                                          const CIMPropertyList& propertyList);
    CIMInstance getInstance(const CIMNamespaceName& nameSpace, const CIMObjectPath& instanceName,
                            Boolean localOnly, Boolean includeQualifiers,
                            Boolean includeClassOrigin, const CIMPropertyList& propertyList);
    Array<CIMObjectPath> enumerateInstanceNames(const CIMNamespaceName& nameSpace,
                                                const CIMName& className);
    CIMValue invokeMethod(const CIMNamespaceName& nameSpace, const CIMObjectPath& instanceName,
                          const CIMName& methodName, const Array<CIMParamValue>& inParameters,
                          Array<CIMParamValue>& outParameters);

    ClientDetail::TransportStats stats() const { return _transport->stats(); }
    void setResponseLimit(std::size_t bytes) { _transport->setResponseLimit(bytes); }

private:
    // Sends the request (again with credentials after a 401 challenge) and
    // returns the body of a successful response; raises the exception for
    // every HTTP-level or trailer-reported failure.
    std::string exchange(const ClientDetail::CimRequest& request, Uint32 messageId,
                         ClientDetail::ResponseContext& context);
    ClientDetail::HttpResponse exchangeBasic(const ClientDetail::CimRequest& request,
                                             std::chrono::milliseconds timeout);
    ClientDetail::HttpResponse exchangeLocal(const ClientDetail::CimRequest& request,
                                             std::chrono::milliseconds timeout);
    ClientDetail::HttpResponse post(const ClientDetail::CimRequest& request,
                                    const std::string& field, const std::string& value,
                                    std::chrono::milliseconds timeout);
    void openTransport(const ClientDetail::Endpoint& endpoint);

    std::unique_ptr<ClientDetail::HttpTransport> _transport;
    bool _connected = false;
    std::string _where;
    std::string _hostField;
    std::string _userName;
    // "Basic ..." for the server's challenge; the password itself is not kept.
    std::string _authorization;
    bool _challenged = false;
    // connectLocal(): OpenPegasus's Local authentication instead of Basic,
    // answering challenges from these folders only.
    bool _localAuthentication = false;
    std::vector<std::string> _challengeFolders;
    Uint32 _nextMessageId = 1000;
    Uint32 _timeoutMs = 20000;
};

}  // namespace Pegasus

#endif
