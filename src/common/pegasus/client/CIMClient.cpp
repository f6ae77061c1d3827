#include <Pegasus/Client/CIMClient.h>

#include "CIMClientRep.h"
#include "LocalServer.h"
#include "ProcessTrustStore.h"

#include <cstdlib>

namespace Pegasus {

using namespace ClientDetail;

CIMClient::CIMClient() : _rep(new CIMClientRep(createHttpTransport())) {}

CIMClient::~CIMClient()
{
    delete _rep;
}

Uint32 CIMClient::getTimeout() const
{
    return _rep->getTimeout();
}

void CIMClient::setTimeout(Uint32 timeoutMilliseconds)
{
    _rep->setTimeout(timeoutMilliseconds);
}

void CIMClient::connect(const String& host, const Uint32 portNumber, const String& userName,
                        const String& password)
{
    Endpoint endpoint;
    endpoint.host = static_cast<const char*>(host.getCString());
    endpoint.port = portNumber;
    _rep->connect(endpoint, userName, password);
}

void CIMClient::connect(const String& host, const Uint32 portNumber,
                        const SSLContext& sslContext, const String& userName,
                        const String& password)
{
    Endpoint endpoint;
    endpoint.host = static_cast<const char*>(host.getCString());
    endpoint.port = portNumber;
    endpoint.tls.enabled = true;
    // OpenPegasus verifies the server only when a trust store or a
    // verification callback is given.
    endpoint.tls.trustStore = static_cast<const char*>(sslContext.getTrustStore().getCString());
    endpoint.tls.verifyPeer = !endpoint.tls.trustStore.empty() ||
                              sslContext.getSSLCertificateVerifyFunction() != nullptr;
    endpoint.tls = withProcessTrustStore(endpoint.tls);
    _rep->connect(endpoint, userName, password);
}

void CIMClient::connectLocal()
{
    const char* url = std::getenv(kLocalServerVariable);
    _rep->connectLocal(localServerCandidates(url ? url : ""));
}

void CIMClient::disconnect()
{
    _rep->disconnect();
}

CIMInstance CIMClient::getInstance(const CIMNamespaceName& nameSpace,
                                   const CIMObjectPath& instanceName, Boolean localOnly,
                                   Boolean includeQualifiers, Boolean includeClassOrigin,
                                   const CIMPropertyList& propertyList)
{
    return _rep->getInstance(nameSpace, instanceName, localOnly, includeQualifiers,
                             includeClassOrigin, propertyList);
}

Array<CIMInstance> CIMClient::enumerateInstances(const CIMNamespaceName& nameSpace,
                                                 const CIMName& className,
                                                 Boolean deepInheritance, Boolean localOnly,
                                                 Boolean includeQualifiers,
                                                 Boolean includeClassOrigin,
                                                 const CIMPropertyList& propertyList)
{
    return _rep->enumerateInstances(nameSpace, className, deepInheritance, localOnly,
                                    includeQualifiers, includeClassOrigin, propertyList);
}

Array<CIMObjectPath> CIMClient::enumerateInstanceNames(const CIMNamespaceName& nameSpace,
                                                       const CIMName& className)
{
    return _rep->enumerateInstanceNames(nameSpace, className);
}

CIMValue CIMClient::invokeMethod(const CIMNamespaceName& nameSpace,
                                 const CIMObjectPath& instanceName, const CIMName& methodName,
                                 const Array<CIMParamValue>& inParameters,
                                 Array<CIMParamValue>& outParameters)
{
    return _rep->invokeMethod(nameSpace, instanceName, methodName, inParameters, outParameters);
}

}  // namespace Pegasus
