// Connections on Linux: POSIX sockets, OpenSSL for TLS.

#include "../ClientErrors.h"
#include "../ListenerOwner.h"
#include "DomainSocketPeer.h"
#include "OpenSslStream.h"
#include "SocketStream.h"
#include "StreamConnector.h"
#include "TcpConnector.h"

#include <optional>

namespace Pegasus {
namespace ClientDetail {

namespace {

class PosixStreamConnector final : public StreamConnector
{
public:
    explicit PosixStreamConnector(const Endpoint& endpoint) : _endpoint(endpoint) {}

    std::unique_ptr<ByteStream> connect(Deadline deadline, std::size_t& opened) override
    {
        const std::chrono::milliseconds timeout(millisecondsLeft(deadline));
        if (!_endpoint.unixSocket.empty())
        {
            TcpConnection connection = connectUnix(_endpoint.unixSocket, timeout);
            ++opened;
            requireTrustedDomainSocketPeer(connection.socket.get(), _endpoint.unixSocket);
            return std::make_unique<SocketStream>(std::move(connection.socket));
        }
        TcpConnection connection = connectTcp(_endpoint.host, _endpoint.port, timeout);
        ++opened;
        if (_endpoint.requireTrustedListener)
        {
            const std::string untrusted = untrustedTcpPeerReason(connection.socket.get());
            if (!untrusted.empty())
                throwCannotConnect(_endpoint.describe(), untrusted);
        }
        auto plain = std::make_unique<SocketStream>(std::move(connection.socket));
        if (!_endpoint.tls.enabled)
            return plain;
        if (!_tls)
            _tls.emplace(_endpoint, _endpoint.describe());
        return std::make_unique<OpenSslStream>(std::move(plain), *_tls, deadline);
    }

private:
    Endpoint _endpoint;
    std::optional<TlsClientContext> _tls;
};

}  // namespace

std::unique_ptr<StreamConnector> createStreamConnector(const Endpoint& endpoint)
{
    return std::make_unique<PosixStreamConnector>(endpoint);
}

}  // namespace ClientDetail
}  // namespace Pegasus
