// HttpTransport on libcurl. The connection is opened by open() on a socket
// of our own, which curl adopts for its first request and then keeps alive
// for the following ones; every later socket curl asks for (after the server
// closed the connection) is counted too. A local domain socket is the
// exception: curl insists on connecting it itself, so open()'s connection
// only shows that the server listens, and the first request opens another.
//
// TLS: curl cannot hand a connection that it opened for a handshake alone
// (CONNECT_ONLY) on to a later request. open() therefore runs the handshake
// with curl itself, with exactly the settings of the requests, on the
// socket it opened, and closes that connection again; the first request
// opens the connection that carries the requests and resumes the TLS
// session of the handshake where the server allows it. An HTTPS connect()
// thus costs one more TCP connection than a plain one.

#include "DomainSocketPeer.h"
#include "HttpTransport.h"
#include "TcpConnector.h"

#include "../ClientErrors.h"

#include <curl/curl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace Pegasus {
namespace ClientDetail {

namespace {

// curl_global_init is not to be raced; a function-local static runs it once.
void ensureCurlInitialised()
{
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

struct EasyDeleter
{
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;

struct ShareDeleter
{
    void operator()(CURLSH* share) const { curl_share_cleanup(share); }
};
using ShareHandle = std::unique_ptr<CURLSH, ShareDeleter>;

struct HeaderListDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' ||
                             text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

bool isDirectory(const std::string& path)
{
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// What one request collects from curl's callbacks.
struct Exchange
{
    HttpResponse response;
    std::size_t limit = 0;
    bool headersDone = false;
    bool tooLarge = false;
    // The server sent an error status with no way to tell where its body
    // ends; the transfer was stopped after the headers.
    bool stoppedAfterHeaders = false;
    bool malformedStatusLine = false;
};

bool parseStatusLine(std::string_view line, HttpResponse& response)
{
    // "HTTP/1.1 200 OK"
    std::size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return false;
    std::string_view rest = line.substr(space + 1);
    unsigned status = 0;
    std::size_t digits = 0;
    while (digits < rest.size() && digits < 3 && rest[digits] >= '0' && rest[digits] <= '9')
        status = status * 10 + static_cast<unsigned>(rest[digits++] - '0');
    if (digits != 3)
        return false;
    response.status = status;
    response.reason = std::string(trimmed(rest.substr(3)));
    return true;
}

extern "C" size_t onHeaderLine(char* data, size_t size, size_t count, void* user)
{
    auto& exchange = *static_cast<Exchange*>(user);
    const size_t length = size * count;
    std::string_view line(data, length);

    if (line.rfind("HTTP/", 0) == 0)
    {
        // A new status line (also after an interim 1xx response).
        exchange.response = HttpResponse{};
        exchange.headersDone = false;
        if (!parseStatusLine(trimmed(line), exchange.response))
        {
            exchange.malformedStatusLine = true;
            return 0;
        }
        return length;
    }
    if (trimmed(line).empty())
    {
        if (exchange.response.status >= 200 && !exchange.headersDone)
        {
            exchange.headersDone = true;
            const HttpHeaders& headers = exchange.response.headers;
            bool delimited = findHeader(headers, "Content-Length") ||
                             findHeader(headers, "Transfer-Encoding");
            if (exchange.response.status != 200 && !delimited)
            {
                exchange.stoppedAfterHeaders = true;
                return 0;
            }
        }
        return length;
    }
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return length;  // curl rejects truly broken header lines itself
    HttpHeader header{std::string(trimmed(line.substr(0, colon))),
                      std::string(trimmed(line.substr(colon + 1)))};
    if (exchange.headersDone)
        exchange.response.trailers.push_back(std::move(header));
    else
        exchange.response.headers.push_back(std::move(header));
    return length;
}

extern "C" size_t onBodyData(char* data, size_t size, size_t count, void* user)
{
    auto& exchange = *static_cast<Exchange*>(user);
    const size_t length = size * count;
    if (exchange.response.body.size() + length > exchange.limit)
    {
        exchange.tooLarge = true;
        return 0;
    }
    exchange.response.body.append(data, length);
    return length;
}

class CurlTransport final : public HttpTransport
{
public:
    CurlTransport() { ensureCurlInitialised(); }

    void open(const Endpoint& endpoint, std::chrono::milliseconds timeout) override
    {
        close();
        _endpoint = endpoint;
        _where = endpoint.describe();
        TcpConnection connection = endpoint.unixSocket.empty()
                                       ? connectTcp(endpoint.host, endpoint.port, timeout)
                                       : connectUnix(endpoint.unixSocket, timeout);
        ++_stats.connectionsOpened;
        _family = connection.family;
        if (_family == AF_UNIX)
            requireTrustedDomainSocketPeer(connection.socket.get(), endpoint.unixSocket);
        // curl connects a domain socket itself even when told that it is
        // connected already; that one only proves here that the server listens.
        if (_family != AF_UNIX)
            _pending = std::move(connection.socket);

        if (!_share)
        {
            _share.reset(curl_share_init());
            if (_share)
                curl_share_setopt(_share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
        }
        _easy.reset(curl_easy_init());
        if (!_easy)
            throwCannotConnect(_where, "the HTTP library could not be initialised");
        configure(_easy.get());
        if (_endpoint.tls.enabled)
        {
            try
            {
                handshake(timeout);
            }
            catch (...)
            {
                close();
                throw;
            }
        }
    }

    HttpResponse post(const std::string& path, const HttpRequest& request,
                      std::chrono::milliseconds timeout) override
    {
        if (!_easy)
            throwCannotConnect(_where, "the connection is closed");
        CURL* easy = _easy.get();

        HeaderList headers;
        for (const HttpHeader& header : request.headers)
            headers.reset(curl_slist_append(headers.release(),
                                            (header.name + ": " + header.value).c_str()));
        // Fields curl would add on its own; the request has exactly the
        // fields the caller gave.
        for (const char* suppressed : {"Accept:", "Expect:", "User-Agent:"})
            headers.reset(curl_slist_append(headers.release(), suppressed));

        Exchange exchange;
        exchange.limit = _limit;
        std::string url = baseUrl() + path;
        char errorText[CURL_ERROR_SIZE] = "";

        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeaderLine);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBodyData);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange);
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout.count()));

        ++_stats.requestsSent;
        _peerRefusal.clear();
        CURLcode rc = curl_easy_perform(easy);
        if (rc == CURLE_ABORTED_BY_CALLBACK && !_peerRefusal.empty())
            throwCannotConnect(_where, _peerRefusal);
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);

        if (rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && exchange.stoppedAfterHeaders))
            return std::move(exchange.response);
        fail(rc, exchange, errorText, timeout);
    }

    void close() override
    {
        _easy.reset();  // closes curl's connection through onCloseSocket
        _pending = UniqueSocket();
    }

    bool isOpen() const override { return static_cast<bool>(_easy); }

    void setResponseLimit(std::size_t bytes) override { _limit = bytes; }

    TransportStats stats() const override { return _stats; }

private:
    // The handshake of open(): its own easy handle, configured as the
    // requests are, adopts the socket just opened and stops after TLS.
    void handshake(std::chrono::milliseconds timeout)
    {
        EasyHandle probe(curl_easy_init());
        if (!probe)
            throwCannotConnect(_where, "the HTTP library could not be initialised");
        configure(probe.get());
        char errorText[CURL_ERROR_SIZE] = "";
        const std::string url = baseUrl() + "/";
        curl_easy_setopt(probe.get(), CURLOPT_URL, url.c_str());
        curl_easy_setopt(probe.get(), CURLOPT_CONNECT_ONLY, 1L);
        curl_easy_setopt(probe.get(), CURLOPT_ERRORBUFFER, errorText);
        curl_easy_setopt(probe.get(), CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout.count()));
        const CURLcode rc = curl_easy_perform(probe.get());
        if (rc == CURLE_OK)
            return;
        const std::string detail = *errorText ? errorText : curl_easy_strerror(rc);
        if (rc == CURLE_OPERATION_TIMEDOUT)
            throwTlsFailure(_where, "no TLS handshake within " + std::to_string(timeout.count()) +
                                        " ms");
        if (rc == CURLE_COULDNT_CONNECT || rc == CURLE_COULDNT_RESOLVE_HOST)
            throwCannotConnect(_where, detail);
        // Everything else went wrong in the handshake: a peer that does not
        // speak TLS, no common protocol or cipher, an untrusted certificate.
        throwTlsFailure(_where, detail);
    }

    std::string baseUrl() const
    {
        if (!_endpoint.unixSocket.empty())
            return "http://localhost";
        return (_endpoint.tls.enabled ? "https://" : "http://") + urlHost() + ":" +
               std::to_string(_endpoint.port);
    }

    void configure(CURL* easy)
    {
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
        if (_family == AF_UNIX)
        {
            curl_easy_setopt(easy, CURLOPT_UNIX_SOCKET_PATH, _endpoint.unixSocket.c_str());
            // curl connects the domain socket itself: its peer is checked
            // there, after the connect and before the request goes out.
            curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, onConnected);
            curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
        }
        else
            curl_easy_setopt(easy, CURLOPT_IPRESOLVE,
                             _family == AF_INET6 ? CURL_IPRESOLVE_V6 : CURL_IPRESOLVE_V4);
        if (_share)
            curl_easy_setopt(easy, CURLOPT_SHARE, _share.get());
        curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, onOpenSocket);
        curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
        curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, onSocketOptions);
        curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, this);
        curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, onCloseSocket);
        curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this);
        if (_endpoint.tls.enabled)
        {
            // TLS 1.2 or later, as OpenPegasus accepts by default.
            curl_easy_setopt(easy, CURLOPT_SSLVERSION, CURL_SSLVERSION_TLSv1_2);
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, _endpoint.tls.verifyPeer ? 1L : 0L);
            // 2: the certificate's names must include the URL's host (curl
            // matches an IP literal against the IP addresses only).
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST,
                             _endpoint.tls.verifyPeer && _endpoint.tls.verifyHostName ? 2L : 0L);
            const std::string& store = _endpoint.tls.trustStore;
            if (_endpoint.tls.verifyPeer && !store.empty())
            {
                curl_easy_setopt(easy, isDirectory(store) ? CURLOPT_CAPATH : CURLOPT_CAINFO,
                                 store.c_str());
            }
        }
    }

    std::string urlHost() const
    {
        if (_endpoint.host.find(':') != std::string::npos)
            return "[" + _endpoint.host + "]";
        return _endpoint.host;
    }

    [[noreturn]] void fail(CURLcode rc, const Exchange& exchange, const char* errorText,
                           std::chrono::milliseconds timeout)
    {
        std::string detail = *errorText ? errorText : curl_easy_strerror(rc);
        switch (rc)
        {
            case CURLE_WRITE_ERROR:
                if (exchange.tooLarge)
                    throwResponseTooLarge(_where, _limit);
                if (exchange.malformedStatusLine)
                    throwMalformedHttp(_where, "the status line of the response is not HTTP");
                throwMalformedHttp(_where, detail);
            case CURLE_OPERATION_TIMEDOUT:
                throwTimeout(_where, static_cast<unsigned long>(timeout.count()));
            case CURLE_COULDNT_RESOLVE_HOST:
            case CURLE_COULDNT_CONNECT:
                throwCannotConnect(_where, detail);
            case CURLE_SSL_CONNECT_ERROR:
            case CURLE_PEER_FAILED_VERIFICATION:
            case CURLE_SSL_CACERT_BADFILE:
            case CURLE_SSL_CERTPROBLEM:
            case CURLE_SSL_CIPHER:
            case CURLE_SSL_ISSUER_ERROR:
            case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
            case CURLE_SSL_INVALIDCERTSTATUS:
            case CURLE_SSL_ENGINE_INITFAILED:
            case CURLE_USE_SSL_FAILED:
                throwTlsFailure(_where, detail);
            case CURLE_GOT_NOTHING:
                throwMalformedHttp(_where, "the server closed the connection without answering");
            case CURLE_PARTIAL_FILE:
            case CURLE_RECV_ERROR:
            case CURLE_SEND_ERROR:
                throwMalformedHttp(_where, "the response broke off after " +
                                               std::to_string(exchange.response.body.size()) +
                                               " bytes of its body: " + detail);
            default:
                throwMalformedHttp(_where, detail);
        }
    }

    static curl_socket_t onOpenSocket(void* user, curlsocktype, curl_sockaddr* address)
    {
        auto* self = static_cast<CurlTransport*>(user);
        if (self->_pending.valid())
        {
            self->_adopted = self->_pending.get();
            return self->_pending.release();
        }
        int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (fd >= 0)
            ++self->_stats.connectionsOpened;
        if (fd >= 0 && address->family == AF_UNIX)
            self->_unixSocket = fd;
        return fd >= 0 ? fd : CURL_SOCKET_BAD;
    }

    static int onSocketOptions(void* user, curl_socket_t fd, curlsocktype)
    {
        auto* self = static_cast<CurlTransport*>(user);
        if (fd == self->_adopted)
        {
            self->_adopted = -1;
            return CURL_SOCKOPT_ALREADY_CONNECTED;
        }
        return CURL_SOCKOPT_OK;
    }

    static int onCloseSocket(void* user, curl_socket_t fd)
    {
        auto* self = static_cast<CurlTransport*>(user);
        if (fd == self->_unixSocket)
            self->_unixSocket = -1;
        return ::close(fd);
    }

    static int onConnected(void* user, char*, char*, int, int)
    {
        auto* self = static_cast<CurlTransport*>(user);
        const int fd = self->_unixSocket;
        if (fd < 0)
        {
            self->_peerRefusal = "the connected domain socket cannot be found to check its server";
            return CURL_PREREQFUNC_ABORT;
        }
        self->_peerRefusal = untrustedDomainSocketPeerReason(fd);
        return self->_peerRefusal.empty() ? CURL_PREREQFUNC_OK : CURL_PREREQFUNC_ABORT;
    }

    Endpoint _endpoint;
    std::string _where;
    // Outlives the easy handles that use it.
    ShareHandle _share;
    EasyHandle _easy;
    UniqueSocket _pending;
    int _adopted = -1;
    // The domain socket curl opened last (curl keeps one connection).
    int _unixSocket = -1;
    // Why onConnected stopped the request, raised once curl returns.
    std::string _peerRefusal;
    int _family = 0;
    std::size_t _limit = kDefaultResponseLimit;
    TransportStats _stats;
};

}  // namespace

std::unique_ptr<HttpTransport> createHttpTransport()
{
    return std::make_unique<CurlTransport>();
}

}  // namespace ClientDetail
}  // namespace Pegasus
