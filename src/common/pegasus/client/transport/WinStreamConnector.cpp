// Connections on Windows: Winsock, Schannel for TLS. No domain sockets: the
// local CIM server is reached over loopback TCP.

#include "StreamConnector.h"
#include "WinSchannelStream.h"
#include "WinSocketStream.h"
#include "WinTcpConnector.h"

#include "../ClientErrors.h"

#include <optional>

namespace Pegasus {
namespace ClientDetail {

namespace {

class WinStreamConnector final : public StreamConnector
{
public:
    explicit WinStreamConnector(const Endpoint& endpoint) : _endpoint(endpoint), _where(endpoint.describe()) {}

    std::unique_ptr<ByteStream> connect(Deadline deadline, std::size_t& opened) override
    {
        if (!_endpoint.unixSocket.empty())
            throwCannotConnect(_where, "a local domain socket is no way to a CIM server on Windows");
        // The trust store is read before anything goes on the network.
        if (_endpoint.tls.enabled && !_tls)
            _tls.emplace(_endpoint, _where);
        auto plain = std::make_unique<WinSocketStream>(connectWinTcp(_endpoint, deadline));
        ++opened;
        if (!_endpoint.tls.enabled)
            return plain;
        return std::make_unique<WinSchannelStream>(std::move(plain), *_tls, deadline);
    }

private:
    Endpoint _endpoint;
    std::string _where;
    std::optional<WinTlsCredentials> _tls;
};

}  // namespace

std::unique_ptr<StreamConnector> createStreamConnector(const Endpoint& endpoint)
{
    return std::make_unique<WinStreamConnector>(endpoint);
}

}  // namespace ClientDetail
}  // namespace Pegasus
