#include "cim_probe.h"

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Client/CIMClientFailureExceptions.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/SSLContext.h>

namespace Quillet::Cli {
namespace {

const char kNamespace[] = "root/cimv2";
const char kProbedClass[] = "MLNX_PCIDevice";

std::string Text(const Pegasus::String& text)
{
    return std::string(text.getCString());
}

}  // namespace

CimProbeResult ProbeCim(const Quillet::QuilletConnection::ConnectionInfo& connection,
                        std::chrono::milliseconds timeout)
{
    CimProbeResult result;
    try {
        Pegasus::CIMClient client;
        client.setTimeout(static_cast<Pegasus::Uint32>(timeout.count()));
        const Pegasus::String host(connection.host.c_str());
        const Pegasus::String user(connection.user_name.c_str());
        const Pegasus::String password(connection.password.c_str());
        if (connection.connection_type == 1) {
            // The empty trust store the module passes too: with --verify-cert
            // the client library verifies against the process's trust store.
            const Pegasus::SSLContext context(Pegasus::String(), nullptr);
            client.connect(host, connection.port, context, user, password);
        } else {
            client.connect(host, connection.port, user, password);
        }
        client.enumerateInstanceNames(Pegasus::CIMNamespaceName(kNamespace), Pegasus::CIMName(kProbedClass));
    } catch (const Pegasus::CIMClientAuthenticationException& error) {
        result.blocking = HostFailure{FailureKind::AuthenticationRejected, Text(error.getMessage())};
    } catch (const Pegasus::CIMClientHTTPErrorException& error) {
        const FailureKind kind =
            error.getCode() == 401 ? FailureKind::AuthenticationRejected : FailureKind::Failed;
        result.blocking = HostFailure{kind, Text(error.getMessage())};
    } catch (const Pegasus::CIMClientTLSException& error) {
        result.blocking = HostFailure{FailureKind::TlsFailure, Text(error.getMessage())};
    } catch (const Pegasus::CannotConnectException& error) {
        result.blocking = HostFailure{FailureKind::Refused, Text(error.getMessage())};
    } catch (const Pegasus::ConnectionTimeoutException& error) {
        result.blocking = HostFailure{FailureKind::Unreachable, Text(error.getMessage())};
    } catch (const Pegasus::CIMClientMalformedHTTPException& error) {
        // A server that resets or breaks off every answer fails the module
        // the same way, after its pauses between attempts.
        const std::string message = Text(error.getMessage());
        const bool reset = message.find("reset") != std::string::npos;
        result.blocking = HostFailure{reset ? FailureKind::Refused : FailureKind::Failed, message};
    } catch (const Pegasus::CIMException& error) {
        const auto code = error.getCode();
        const std::string name = Pegasus::cimStatusCodeToString(code);
        std::string description = Text(error.getMessage());
        if (description.rfind(name + ": ", 0) == 0) {
            description.erase(0, name.size() + 2);
        }
        result.cimError = HostFailure{FailureKind::CimError, "CIM error " + std::to_string(static_cast<int>(code)) +
                                                                 " (" + name + ") on " + kProbedClass + ": " +
                                                                 description};
    } catch (const Pegasus::Exception& error) {
        // Malformed answers and the like: the module meets them itself and
        // its log says more.
        result.cimError = HostFailure{FailureKind::Failed, Text(error.getMessage())};
    }
    return result;
}

}  // namespace Quillet::Cli
