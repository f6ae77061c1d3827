#pragma once
// A minimal HTTP/1.1 client connection for tests that must see the simulator's
// wire format as it is: status line, header spelling, chunking and trailers.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mlnx_cimsim {
class ByteStream;
class HttpMessageReader;
}

namespace mlnx_cimsim::testing {

struct HttpResponse {
    int status = 0;
    std::string statusLine;
    std::vector<std::pair<std::string, std::string>> headers;
    std::vector<std::pair<std::string, std::string>> trailers;
    std::string body;
    bool chunked = false;

    // Case-insensitive lookups; nullopt when absent.
    std::optional<std::string> header(const std::string& name) const;
    std::optional<std::string> trailer(const std::string& name) const;
};

class HttpConnection {
public:
    // Connects at once (TLS without certificate checks when tls is true); throws
    // std::runtime_error naming the address when that fails.
    HttpConnection(const std::string& host, uint16_t port, bool tls,
                   std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Connects to a local domain socket (plain HTTP).
    explicit HttpConnection(const std::string& socketPath,
                            std::chrono::milliseconds timeout = std::chrono::seconds(20));
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    // Sends the bytes as they are and reads one response; throws std::runtime_error
    // when the connection fails or ends before a complete response.
    HttpResponse exchange(const std::string& requestBytes);
    void sendRaw(const std::string& bytes);
    HttpResponse readResponse();
    // True when the server closed the connection (reads end of stream at once).
    bool closedByPeer();

private:
    struct TlsState;
    std::unique_ptr<TlsState> tls_;
    std::unique_ptr<ByteStream> stream_;
    std::unique_ptr<HttpMessageReader> reader_;
};

// Builds "METHOD target HTTP/1.1" with Host, the given header lines ("Name: value")
// and a Content-Length for the body.
std::string buildRequest(const std::string& method, const std::string& target, const std::string& body,
                         const std::vector<std::string>& headerLines = {});

}  // namespace mlnx_cimsim::testing
