#ifndef Pegasus_Client_h
#define Pegasus_Client_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/SSLContext.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Client/CIMClientException.h>

PEGASUS_NAMESPACE_BEGIN

class CIMClientRep;

// A client of one CIM server, speaking CIM-XML over HTTP or HTTPS on one
// kept-alive connection. The subset of OpenPegasus's CIMClient that this
// project uses, with the same signatures and defaults.
class PEGASUS_CLIENT_LINKAGE CIMClient
{
public:
    CIMClient();
    ~CIMClient();

    // Time-out of every request, in milliseconds (20,000 by default).
    Uint32 getTimeout() const;
    void setTimeout(Uint32 timeoutMilliseconds);

    // Opens the connection at once: an unreachable server raises
    // CannotConnectException here. The credentials are sent when the
    // server asks for them (HTTP 401), as HTTP Basic authentication.
    void connect(
        const String& host,
        const Uint32 portNumber,
        const String& userName,
        const String& password);

    // The same over TLS; the handshake completes here, so a port that does
    // not speak TLS, a protocol or cipher mismatch and (with a trust store)
    // a certificate that fails verification raise CannotConnectException
    // (CIMClientTLSException) from connect(). With neither a trust store
    // nor a verification callback in `sslContext` the server's certificate
    // is not verified, as in OpenPegasus.
    void connect(
        const String& host,
        const Uint32 portNumber,
        const SSLContext& sslContext,
        const String& userName,
        const String& password);

    // Connects to the CIM server of this host as OpenPegasus's client does:
    // on Linux its domain socket /var/run/tog-pegasus/cimxml.socket, then
    // /var/tmp/cimxml.socket; then http://127.0.0.1:5988, then
    // https://127.0.0.1:5989 (any certificate). Requests authenticate as
    // the process's own user with OpenPegasus's "Local" scheme (the server
    // names a file only that user can read). The environment variable
    // QUILLET_CIMSERVER_LOCAL replaces the list with one endpoint:
    // http://HOST:PORT, https://HOST:PORT or unix:PATH.
    void connectLocal();

    void disconnect();

    CIMInstance getInstance(
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName,
        Boolean localOnly = true,
        Boolean includeQualifiers = false,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    Array<CIMInstance> enumerateInstances(
        const CIMNamespaceName& nameSpace,
        const CIMName& className,
        Boolean deepInheritance = true,
        Boolean localOnly = true,
        Boolean includeQualifiers = false,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    Array<CIMObjectPath> enumerateInstanceNames(
        const CIMNamespaceName& nameSpace,
        const CIMName& className);

    CIMValue invokeMethod(
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName,
        const CIMName& methodName,
        const Array<CIMParamValue>& inParameters,
        Array<CIMParamValue>& outParameters);

private:
    CIMClient(const CIMClient&);
    CIMClient& operator=(const CIMClient&);

    CIMClientRep* _rep;

    friend class CIMClientInspector;
};

PEGASUS_NAMESPACE_END

#endif /* Pegasus_Client_h */
