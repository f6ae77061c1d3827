#include "server_check.h"

#include <algorithm>

#include "cim_probe.h"
#include "tcp_probe.h"
#include "tls_probe.h"

namespace Quillet::Cli {
namespace {

const std::chrono::seconds kRequestTimeout(20);

}  // namespace

std::string ServerText(const std::string& host, uint16_t port)
{
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

ServerCheckResult CheckServer(const Quillet::QuilletConnection::ConnectionInfo& connection,
                              const std::string& caFile, std::chrono::milliseconds timeout)
{
    ServerCheckResult result;
    HostFailure failure;
    {
        const ConnectedSocket socket = ConnectWithin(connection.host, connection.port, timeout, failure);
        if (!socket.Connected()) {
            result.failure = failure;
            return result;
        }
        if (connection.connection_type == 1) {
            result.failure = CheckTls(socket, ServerText(connection.host, connection.port), connection.host, caFile,
                                      timeout);
            if (result.failure) {
                return result;
            }
        }
    }
    // The port answered: the request may take as long as a CIM server
    // usually needs, not just the connect time-out.
    CimProbeResult probe = ProbeCim(connection, std::max<std::chrono::milliseconds>(timeout, kRequestTimeout));
    result.failure = probe.blocking;
    result.cimError = probe.cimError;
    return result;
}

}  // namespace Quillet::Cli
