// HttpTransport on WinHTTP, Windows' own HTTP stack (TLS through Schannel).
// Where WinHTTP differs from the libcurl transport:
// - WinHTTP opens the connection that carries the requests only when the
//   first request goes out, so open() checks with a TCP connection of its
//   own that the server can be reached, and for TLS completes a handshake
//   on it with Schannel and the same settings; the counters count the
//   connections that carried requests.
// - WinHTTP does not hand out trailer fields. The request therefore goes
//   without its "TE" field: a server then reports a CIM error in the body
//   rather than in a trailer that would be lost.
// - WinHTTP reopens a connection the server closed by itself.

// Before any header that brings windows.h.
#include <winsock2.h>

#include "HttpTransport.h"
#include "WinErrorText.h"
#include "WinTcpProbe.h"
#include "WinHostNameCheck.h"
#include "WinTrustStore.h"

#include "../ClientErrors.h"

#include <windows.h>

#include <winhttp.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace Pegasus {
namespace ClientDetail {

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kReadChunkBytes = 64 * 1024;

struct InternetHandleCloser
{
    void operator()(void* handle) const { WinHttpCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

std::wstring widen(std::string_view text)
{
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string narrow(std::wstring_view text)
{
    if (text.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                        length, nullptr, nullptr);
    return bytes;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// WinHTTP's text for one of its error codes, with the code itself.
std::string winHttpErrorText(DWORD error)
{
    const std::string message = windowsErrorText(error, "winhttp.dll");
    const std::string code = "WinHTTP error " + std::to_string(error);
    return message.empty() ? code : message + " (" + code + ")";
}

// What Schannel objected to in the server's certificate, as WinHTTP reports it.
std::string certificateProblems(DWORD flags)
{
    struct Problem
    {
        DWORD flag;
        const char* text;
    };
    static const Problem kProblems[] = {
        {WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID, "the certificate has expired or is not yet valid"},
        {WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA, "the certificate's issuer is not trusted"},
        {WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID, "the certificate names another host"},
        {WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED, "the certificate has been revoked"},
        {WINHTTP_CALLBACK_STATUS_FLAG_CERT_REV_FAILED, "the certificate's revocation could not be checked"},
        {WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CERT, "the certificate is not valid"},
        {WINHTTP_CALLBACK_STATUS_FLAG_CERT_WRONG_USAGE, "the certificate is not meant for servers"},
        {WINHTTP_CALLBACK_STATUS_FLAG_SECURITY_CHANNEL_ERROR, "the secure channel failed"},
    };
    std::string text;
    for (const Problem& problem : kProblems)
    {
        if (flags & problem.flag)
            text += (text.empty() ? "" : "; ") + std::string(problem.text);
    }
    return text;
}

// What the status callback learns about one request.
struct RequestEvents
{
    DWORD certificateFlags = 0;
    // Set when the caller's trust store decides on the server's certificate.
    const WinTrustStore* trustStore = nullptr;
    // Set when the certificate must name this host.
    const std::string* host = nullptr;
    std::string untrusted;
    bool closedByCallback = false;
};

// With a trust store of the caller's, the certificate is checked once the
// handshake is done, just before the request goes out, and the request is
// abandoned there when the server is not trusted. (Wine's WinHTTP sends it
// all the same; the caller gets the TLS failure either way.)
void checkServerCertificate(HINTERNET request, RequestEvents& events)
{
    PCCERT_CONTEXT certificate = nullptr;
    DWORD size = sizeof certificate;
    WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &size);
    if (events.trustStore)
        events.untrusted = events.trustStore->problemWith(certificate);
    if (events.untrusted.empty() && events.host)
        events.untrusted = hostNameProblem(certificate, *events.host);
    if (certificate)
        CertFreeCertificateContext(certificate);
    if (!events.untrusted.empty())
    {
        events.closedByCallback = true;
        WinHttpCloseHandle(request);
    }
}

void CALLBACK onRequestStatus(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID information,
                              DWORD informationLength)
{
    if (context == 0)
        return;
    RequestEvents& events = *reinterpret_cast<RequestEvents*>(context);
    if (status == WINHTTP_CALLBACK_STATUS_SENDING_REQUEST && (events.trustStore || events.host) &&
        !events.closedByCallback)
        checkServerCertificate(request, events);
    if (status == WINHTTP_CALLBACK_STATUS_SECURE_FAILURE && information != nullptr &&
        informationLength >= sizeof(DWORD))
        events.certificateFlags = *static_cast<DWORD*>(information);
}

class WinHttpTransport final : public HttpTransport
{
public:
    void open(const Endpoint& endpoint, std::chrono::milliseconds timeout) override
    {
        close();
        _endpoint = endpoint;
        _where = endpoint.describe();
        _trustStore.reset();
        if (!endpoint.unixSocket.empty())
            throwCannotConnect(_where, "a local domain socket is no way to a CIM server on Windows");
        if (endpoint.tls.enabled && endpoint.tls.verifyPeer && !endpoint.tls.trustStore.empty())
            _trustStore = std::make_unique<WinTrustStore>(endpoint.tls.trustStore, _where);
        probeEndpoint(endpoint, _trustStore.get(), timeout);
        startSession();
    }

    HttpResponse post(const std::string& path, const HttpRequest& request,
                      std::chrono::milliseconds timeout) override
    {
        if (!_connection)
            throwCannotConnect(_where, "the connection is closed");
        const Clock::time_point deadline = Clock::now() + timeout;

        RequestEvents events;
        InternetHandle handle(openRequest(path, events));
        HINTERNET requestHandle = handle.get();
        addHeaders(requestHandle, request.headers);
        applyTimeout(requestHandle, deadline, timeout);

        ++_stats.requestsSent;
        const DWORD bodySize = static_cast<DWORD>(request.body.size());
        const BOOL sent = WinHttpSendRequest(requestHandle, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                             const_cast<char*>(request.body.data()), bodySize, bodySize, 0);
        if (events.closedByCallback)
        {
            handle.release();  // closed by the callback already
            throwTlsFailure(_where, events.untrusted);
        }
        if (!sent || !WinHttpReceiveResponse(requestHandle, nullptr))
            fail(GetLastError(), events, nullptr, timeout);
        countConnection(requestHandle);

        HttpResponse response = readHead(requestHandle);
        const HttpHeaders& headers = response.headers;
        const bool delimited =
            findHeader(headers, "Content-Length") || findHeader(headers, "Transfer-Encoding");
        if (response.status != 200 && !delimited)
        {
            // An error whose body only the connection's end would delimit:
            // stop after the head and start afresh for the next request.
            handle.reset();
            startSession();
            return response;
        }
        readBody(requestHandle, response, deadline, timeout, events);
        return response;
    }

    void close() override
    {
        _connection.reset();
        _session.reset();
    }

    bool isOpen() const override { return static_cast<bool>(_connection); }

    void setResponseLimit(std::size_t bytes) override { _limit = bytes; }

    TransportStats stats() const override { return _stats; }

private:
    void startSession()
    {
        close();
        // No user agent and no proxy: the request carries exactly the
        // caller's fields and goes straight to the CIM server.
        _session.reset(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, 0));
        if (!_session)
            throwCannotConnect(_where, "WinHTTP could not start: " + winHttpErrorText(GetLastError()));
        if (_endpoint.tls.enabled)
        {
            // TLS 1.2 or later, as OpenPegasus accepts by default.
            // TLS 1.3 is refused by Windows versions that lack it.
            DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
            if (!WinHttpSetOption(_session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                                  sizeof protocols))
            {
                protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
                WinHttpSetOption(_session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                                 sizeof protocols);
            }
        }
        _connection.reset(WinHttpConnect(_session.get(), widen(_endpoint.host).c_str(),
                                         static_cast<INTERNET_PORT>(_endpoint.port), 0));
        if (!_connection)
            throwCannotConnect(_where, winHttpErrorText(GetLastError()));
        _localPort = 0;
    }

    HINTERNET openRequest(const std::string& path, RequestEvents& events)
    {
        HINTERNET request = WinHttpOpenRequest(_connection.get(), L"POST", widen(path).c_str(), nullptr,
                                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                               _endpoint.tls.enabled ? WINHTTP_FLAG_SECURE : 0);
        if (!request)
            throwCannotConnect(_where, winHttpErrorText(GetLastError()));
        // Redirects, cookies and WinHTTP's own authentication are the
        // caller's business (a 401 comes back to it as it is).
        DWORD disabled = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_AUTHENTICATION;
        WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &disabled, sizeof disabled);
        if (_endpoint.tls.enabled)
        {
            // WinHTTP never matches the host name itself: by default it is not
            // matched, as OpenPegasus does not match it; when asked for, our own
            // check does it below, so that Windows and Wine decide alike.
            DWORD ignored = SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
            if (!_endpoint.tls.verifyPeer)
            {
                ignored |= SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                           SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
            }
            DWORD notifications = WINHTTP_CALLBACK_FLAG_SECURE_FAILURE;
            if (_trustStore)
            {
                // The caller's trust store decides on the issuer, not the system's.
                ignored |= SECURITY_FLAG_IGNORE_UNKNOWN_CA;
                events.trustStore = _trustStore.get();
                notifications |= WINHTTP_CALLBACK_FLAG_SEND_REQUEST;
            }
            if (_endpoint.tls.verifyPeer && _endpoint.tls.verifyHostName)
            {
                events.host = &_endpoint.host;
                notifications |= WINHTTP_CALLBACK_FLAG_SEND_REQUEST;
            }
            WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &ignored, sizeof ignored);
            DWORD_PTR context = reinterpret_cast<DWORD_PTR>(&events);
            WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
            WinHttpSetStatusCallback(request, onRequestStatus, notifications, 0);
        }
        return request;
    }

    void addHeaders(HINTERNET request, const HttpHeaders& headers)
    {
        std::string block;
        for (const HttpHeader& header : headers)
        {
            if (sameName(header.name, "TE"))
                continue;  // trailers would be lost, see the top of this file
            block += header.name + ": " + header.value + "\r\n";
        }
        if (block.empty())
            return;
        const std::wstring wide = widen(block);
        if (!WinHttpAddRequestHeaders(request, wide.c_str(), static_cast<DWORD>(wide.size()),
                                      WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
        {
            throwMalformedHttp(_where, "a request header was refused: " + winHttpErrorText(GetLastError()));
        }
    }

    // Every step of WinHTTP gets what is left of the request's time.
    void applyTimeout(HINTERNET request, Clock::time_point deadline, std::chrono::milliseconds timeout)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            throwTimeout(_where, static_cast<unsigned long>(timeout.count()));
        const int ms = static_cast<int>(std::min<long long>(left.count(), 0x7fffffff));
        WinHttpSetTimeouts(request, ms, ms, ms, ms);
        // The wait for the response head has a time-out of its own.
        DWORD headWait = static_cast<DWORD>(ms);
        WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headWait, sizeof headWait);
    }

    // A connection is told apart by its local port.
    void countConnection(HINTERNET request)
    {
        WINHTTP_CONNECTION_INFO info{};
        info.cbSize = sizeof info;
        DWORD size = sizeof info;
        unsigned short port = 0;
        if (WinHttpQueryOption(request, WINHTTP_OPTION_CONNECTION_INFO, &info, &size))
            port = reinterpret_cast<const sockaddr_in*>(&info.LocalAddress)->sin_port;
        if (port == 0 && _stats.connectionsOpened > 0)
            return;  // WinHTTP cannot tell: assume the connection was kept
        if (port != _localPort || _stats.connectionsOpened == 0)
            ++_stats.connectionsOpened;
        _localPort = port;
    }

    HttpResponse readHead(HINTERNET request)
    {
        HttpResponse response;
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        {
            throwMalformedHttp(_where, "the status line of the response is not HTTP");
        }
        response.status = status;
        response.reason = narrow(queryText(request, WINHTTP_QUERY_STATUS_TEXT));

        // Every field in wire order, after the status line.
        const std::string head = narrow(queryText(request, WINHTTP_QUERY_RAW_HEADERS_CRLF));
        std::string_view rest = head;
        rest = rest.substr(std::min(rest.size(), rest.find('\n') + 1));
        while (!rest.empty())
        {
            const std::size_t end = rest.find('\n');
            const std::string_view line = trimmed(rest.substr(0, end));
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            const std::size_t colon = line.find(':');
            if (colon == std::string_view::npos)
                continue;
            response.headers.push_back(HttpHeader{std::string(trimmed(line.substr(0, colon))),
                                                  std::string(trimmed(line.substr(colon + 1)))});
        }
        return response;
    }

    std::wstring queryText(HINTERNET request, DWORD what)
    {
        DWORD size = 0;
        WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                            WINHTTP_NO_HEADER_INDEX);
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size,
                                 WINHTTP_NO_HEADER_INDEX))
        {
            throwMalformedHttp(_where, "the response head cannot be read: " + winHttpErrorText(GetLastError()));
        }
        text.resize(size / sizeof(wchar_t));
        return text;
    }

    void readBody(HINTERNET request, HttpResponse& response, Clock::time_point deadline,
                  std::chrono::milliseconds timeout, const RequestEvents& events)
    {
        const std::string* length = findHeader(response.headers, "Content-Length");
        const unsigned long long announced = length ? std::strtoull(length->c_str(), nullptr, 10) : 0;
        if (length)
        {
            if (announced > _limit)
                throwResponseTooLarge(_where, _limit);
            response.body.reserve(static_cast<std::size_t>(announced));
        }
        std::string chunk(kReadChunkBytes, '\0');
        for (;;)
        {
            applyReceiveTimeout(request, deadline, timeout);
            DWORD read = 0;
            if (!WinHttpReadData(request, chunk.data(), kReadChunkBytes, &read))
                fail(GetLastError(), events, &response, timeout);
            if (read == 0)
            {
                // Some WinHTTP versions report a connection reset as the end of the body.
                if (length && response.body.size() < announced)
                {
                    throwMalformedHttp(_where, "the response broke off after " +
                                                   std::to_string(response.body.size()) + " of " +
                                                   std::to_string(announced) + " bytes of its body");
                }
                return;
            }
            if (response.body.size() + read > _limit)
                throwResponseTooLarge(_where, _limit);
            response.body.append(chunk.data(), read);
        }
    }

    void applyReceiveTimeout(HINTERNET request, Clock::time_point deadline, std::chrono::milliseconds timeout)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            throwTimeout(_where, static_cast<unsigned long>(timeout.count()));
        DWORD ms = static_cast<DWORD>(std::min<long long>(left.count(), 0x7fffffff));
        WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
    }

    // `response` is the response whose body was being read, null before its head.
    [[noreturn]] void fail(DWORD error, const RequestEvents& events, const HttpResponse* response,
                           std::chrono::milliseconds timeout)
    {
        const std::string detail = winHttpErrorText(error);
        // Wine's WinHTTP passes some socket errors through as they are.
        switch (error)
        {
            case ERROR_WINHTTP_TIMEOUT:
            case WSAETIMEDOUT:
                throwTimeout(_where, static_cast<unsigned long>(timeout.count()));
            case ERROR_WINHTTP_CANNOT_CONNECT:
            case ERROR_WINHTTP_NAME_NOT_RESOLVED:
            case WSAECONNREFUSED:
                throwCannotConnect(_where, detail);
            case ERROR_WINHTTP_SECURE_FAILURE:
            case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
            case ERROR_WINHTTP_SECURE_INVALID_CERT:
            case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
            case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
            case ERROR_WINHTTP_SECURE_INVALID_CA:
            case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
            case ERROR_WINHTTP_SECURE_CERT_REVOKED:
            case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
            {
                const std::string problems = certificateProblems(events.certificateFlags);
                throwTlsFailure(_where, problems.empty() ? detail : problems + " (" + detail + ")");
            }
            case ERROR_WINHTTP_CONNECTION_ERROR:
            case WSAECONNRESET:
            case WSAECONNABORTED:
                if (!response)
                    throwMalformedHttp(_where, "the server closed the connection without answering");
                throwMalformedHttp(_where, "the response broke off after " +
                                               std::to_string(response->body.size()) +
                                               " bytes of its body: " + detail);
            default:
                throwMalformedHttp(_where, detail);
        }
    }

    Endpoint _endpoint;
    std::string _where;
    InternetHandle _session;
    InternetHandle _connection;
    std::unique_ptr<WinTrustStore> _trustStore;
    unsigned short _localPort = 0;
    std::size_t _limit = kDefaultResponseLimit;
    TransportStats _stats;
};

}  // namespace

std::unique_ptr<HttpTransport> createHttpTransport()
{
    return std::make_unique<WinHttpTransport>();
}

}  // namespace ClientDetail
}  // namespace Pegasus
