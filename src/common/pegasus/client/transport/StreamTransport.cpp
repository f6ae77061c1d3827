// HttpTransport that owns its connection, as OpenPegasus's HTTPConnection:
// open() makes it (TCP with the TLS handshake, or the domain socket) and
// every request goes over it until the server closes it or close() is
// called; the request after a close opens the next one.

#include "HttpOnStream.h"
#include "HttpTransport.h"
#include "StreamConnector.h"

#include "../ClientErrors.h"

namespace Pegasus {
namespace ClientDetail {

namespace {

class StreamTransport final : public HttpTransport
{
public:
    void open(const Endpoint& endpoint, std::chrono::milliseconds timeout) override
    {
        close();
        _where = endpoint.describe();
        _connector = createStreamConnector(endpoint);
        try
        {
            connectNow(std::chrono::steady_clock::now() + timeout);
        }
        catch (...)
        {
            close();
            throw;
        }
    }

    HttpResponse post(const std::string& path, const HttpRequest& request,
                      std::chrono::milliseconds timeout) override
    {
        if (!_connector)
            throwCannotConnect(_where, "the connection is closed");
        ++_stats.requestsSent;
        const Deadline deadline = std::chrono::steady_clock::now() + timeout;
        try
        {
            return exchange(path, request, deadline);
        }
        catch (const StreamError& e)
        {
            drop();
            if (e.kind() == StreamError::Kind::timedOut)
                throwTimeout(_where, static_cast<unsigned long>(timeout.count()));
            throwMalformedHttp(_where, e.what());
        }
        catch (const HttpReadError& e)
        {
            drop();
            if (e.kind() == HttpReadError::Kind::tooLarge)
                throwResponseTooLarge(_where, _limit);
            throwMalformedHttp(_where, e.what());
        }
        catch (...)
        {
            drop();
            throw;
        }
    }

    void close() override
    {
        drop();
        _connector.reset();
    }

    bool isOpen() const override { return static_cast<bool>(_connector); }

    void setResponseLimit(std::size_t bytes) override { _limit = bytes; }

    TransportStats stats() const override { return _stats; }

private:
    HttpResponse exchange(const std::string& path, const HttpRequest& request, Deadline deadline)
    {
        for (;;)
        {
            // A kept connection that the server closed (or spoke on) while
            // idle is replaced, as OpenPegasus's client reconnects then.
            if (_stream && _exchanges > 0 && _stream->peerClosedOrSpoke())
                drop();
            if (!_stream)
                connectNow(deadline);
            // A server may close a kept connection just as the request
            // leaves; that request goes once more on a new connection.
            const bool mayRepeat = _exchanges > 0;
            try
            {
                writeHttpRequest(*_stream, path, request, deadline);
                HttpResponseRead read = readHttpResponse(*_stream, _limit, deadline);
                ++_exchanges;
                if (!read.keepAlive)
                    drop();
                return std::move(read.response);
            }
            catch (const StreamError& e)
            {
                if (!mayRepeat || e.kind() == StreamError::Kind::timedOut)
                    throw;
            }
            catch (const HttpReadError& e)
            {
                if (!mayRepeat || e.kind() != HttpReadError::Kind::noAnswer)
                    throw;
            }
            drop();
        }
    }

    void connectNow(Deadline deadline)
    {
        _stream = _connector->connect(deadline, _stats.connectionsOpened);
        _exchanges = 0;
    }

    void drop()
    {
        _stream.reset();
        _exchanges = 0;
    }

    std::string _where;
    std::unique_ptr<StreamConnector> _connector;
    std::unique_ptr<ByteStream> _stream;
    // Exchanges completed on the current connection.
    std::size_t _exchanges = 0;
    std::size_t _limit = kDefaultResponseLimit;
    TransportStats _stats;
};

}  // namespace

std::unique_ptr<HttpTransport> createHttpTransport()
{
    return std::make_unique<StreamTransport>();
}

}  // namespace ClientDetail
}  // namespace Pegasus
