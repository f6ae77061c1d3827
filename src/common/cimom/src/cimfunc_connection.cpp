// CimFunc's connection to the CIM server: construction, the attempt loop with
// its pauses, reconnection, and the provider-module switches.
#include "cimfunc.h"

#include <memory>

#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/SSLContext.h>

#include "cimfunc_text.h"
#include "cimom.h"
#include "opn_logging.h"
#include "osspecific.h"

using CimFuncText::ToUtf8;

namespace {

const int kConnectAttempts = 3;
// Stays on the client after connecting until a caller sets its own.
const Pegasus::Uint32 kConnectTimeoutMilliseconds = 2400000;
const unsigned int kPauseAfterFailedAttemptMilliseconds = 10000;
// Whatever the password is, the log shows this in its place.
const char* const kPasswordMask = "**********";

}  // namespace

CimFunc::CimFunc(const Pegasus::CIMNamespaceName& nameSpace)
    : nameSpace(nameSpace), client(nullptr), connectionInfo(), inBand(true)
{
    InitClient();
}

CimFunc::CimFunc(const Pegasus::CIMNamespaceName& nameSpace, const Quillet::QuilletConnection::ConnectionInfo& info)
    : nameSpace(nameSpace), client(nullptr), connectionInfo(info), inBand(false)
{
    InitClient();
}

CimFunc::~CimFunc()
{
    delete client;
}

Pegasus::CIMClient* CimFunc::GetClient() const
{
    return client;
}

const Pegasus::CIMNamespaceName& CimFunc::GetNameSpace() const
{
    return nameSpace;
}

void CimFunc::InitClient()
{
    // Owned by the guard until connected: a failure, or an exception that is
    // not the CIM library's, leaves neither a leak nor a dangling `client`.
    std::unique_ptr<Pegasus::CIMClient> fresh(new Pegasus::CIMClient());
    client = fresh.get();
    int status = 1;
    try {
        status = Connect();
    } catch (...) {
        client = nullptr;
        throw;
    }
    if (status != 0) {
        client = nullptr;
        return;
    }
    fresh.release();
}

int CimFunc::Reconnect()
{
    // The old client goes first: its connection closes before the new one opens.
    delete client;
    client = nullptr;
    InitClient();
    return client != nullptr ? 0 : 1;
}

int CimFunc::Connect()
{
    if (inBand) {
        return ConnectLocalCimserver(client);
    }
    if (connectionInfo.host.empty()) {
        OPN_LOG(1) << "Failed to connect remote cimserver due to invalid connection information. ";
        return 1;
    }
    return ConnectCimserver(client, connectionInfo);
}

int CimFunc::ConnectCimserver(Pegasus::CIMClient* client, const Quillet::QuilletConnection::ConnectionInfo& info)
{
    OPN_LOG(3) << "Connecting " << info.user_name << ":" << kPasswordMask << "@" << info.host << ":" << info.port;

    // No trust store and no verification callback: the client library's defaults decide.
    const Pegasus::SSLContext sslContext(Pegasus::String(), 0, Pegasus::String::EMPTY);
    const Pegasus::String host(info.host.c_str());
    const Pegasus::Uint32 port = info.port;
    const Pegasus::String userName(info.user_name.c_str());
    const Pegasus::String password(info.password.c_str());

    return RunConnectAttempts(client, [&](Pegasus::CIMClient& attemptClient) {
        switch (info.connection_type) {
        case 0:
            attemptClient.connect(host, port, userName, password);
            return true;
        case 1:
            attemptClient.connect(host, port, sslContext, userName, password);
            return true;
        default:
            OPN_LOG(1) << "Invalid connection type: " << info.connection_type;
            return false;
        }
    });
}

int CimFunc::ConnectLocalCimserver(Pegasus::CIMClient* client)
{
    // The client library knows where the local server listens; no credentials are needed.
    OPN_LOG(3) << "Connecting local cimserver";
    return RunConnectAttempts(client, [](Pegasus::CIMClient& attemptClient) {
        attemptClient.connectLocal();
        return true;
    });
}

int CimFunc::RunConnectAttempts(Pegasus::CIMClient* client,
                                const std::function<bool(Pegasus::CIMClient&)>& connectOnce)
{
    int attemptsLeft = kConnectAttempts;
    while (attemptsLeft > 0) {
        try {
            client->setTimeout(kConnectTimeoutMilliseconds);
            if (!connectOnce(*client)) {
                return 1;
            }
            OPN_LOG(3) << "Cimserver connection succeeded ";
            return 0;
        } catch (const Pegasus::Exception& error) {
            --attemptsLeft;
            // Earlier failures are expected to be transient; only the last one is worth an error line.
            if (attemptsLeft == 0) {
                OPN_LOG(1) << "Failed to connect remote cimserver with the reason: " << ToUtf8(error.getMessage());
            }
            Quillet::OsSpecific::SleepMilliseconds(kPauseAfterFailedAttemptMilliseconds);
        }
    }
    return 1;
}

bool CimFunc::EnableProviderModule(const std::string& moduleName)
{
    return Quillet::Cimom::GetInstance()->EnableProviderModule(moduleName.c_str());
}

bool CimFunc::DisableProviderModule(const std::string& moduleName)
{
    return Quillet::Cimom::GetInstance()->DisableProviderModule(moduleName.c_str());
}
