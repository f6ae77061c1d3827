#include "cimsim/http_connection.h"

#include "wire/byte_stream.h"
#include "wire/http_framing.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace mlnx_cimsim::testing {

namespace {

std::optional<std::string> findField(const std::vector<std::pair<std::string, std::string>>& fields,
                                     const std::string& name) {
    for (const auto& field : fields) {
        if (equalsIgnoreCase(field.first, name)) {
            return field.second;
        }
    }
    return std::nullopt;
}

int connectTcp(const std::string& host, uint16_t port, std::chrono::milliseconds timeout) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        throw std::runtime_error("HttpConnection: host \"" + host + "\" is not an IPv4 address");
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error(std::string("HttpConnection: socket() failed: ") + std::strerror(errno));
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        int error = errno;
        ::close(fd);
        throw std::runtime_error("HttpConnection: connect to " + host + ":" + std::to_string(port) +
                                 " failed: " + std::strerror(error));
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    mlnx_cimsim::setSocketReadTimeout(fd, timeout);
    return fd;
}

int connectDomainSocket(const std::string& path, std::chrono::milliseconds timeout) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        throw std::runtime_error("HttpConnection: socket path " + path + " is too long");
    }
    path.copy(address.sun_path, path.size());
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error(std::string("HttpConnection: socket() failed: ") + std::strerror(errno));
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        int error = errno;
        ::close(fd);
        throw std::runtime_error("HttpConnection: connect to " + path + " failed: " + std::strerror(error));
    }
    mlnx_cimsim::setSocketReadTimeout(fd, timeout);
    return fd;
}

}  // namespace

std::optional<std::string> HttpResponse::header(const std::string& name) const { return findField(headers, name); }

std::optional<std::string> HttpResponse::trailer(const std::string& name) const { return findField(trailers, name); }

struct HttpConnection::TlsState {
    SSL_CTX* context = nullptr;
    ~TlsState() { SSL_CTX_free(context); }
};

HttpConnection::HttpConnection(const std::string& host, uint16_t port, bool tls, std::chrono::milliseconds timeout) {
    int fd = connectTcp(host, port, timeout);
    SSL* ssl = nullptr;
    if (tls) {
        tls_ = std::make_unique<TlsState>();
        tls_->context = SSL_CTX_new(TLS_client_method());
        SSL_CTX_set_verify(tls_->context, SSL_VERIFY_NONE, nullptr);
        ssl = SSL_new(tls_->context);
        SSL_set_fd(ssl, fd);
        if (SSL_connect(ssl) != 1) {
            unsigned long error = ERR_get_error();
            char text[256] = "no detail";
            if (error != 0) {
                ERR_error_string_n(error, text, sizeof text);
            }
            SSL_free(ssl);
            ::close(fd);
            throw std::runtime_error("HttpConnection: TLS handshake with " + host + ":" + std::to_string(port) +
                                     " failed: " + text);
        }
    }
    stream_ = std::make_unique<ByteStream>(fd, ssl);
    reader_ = std::make_unique<HttpMessageReader>(*stream_);
}

HttpConnection::HttpConnection(const std::string& socketPath, std::chrono::milliseconds timeout) {
    stream_ = std::make_unique<ByteStream>(connectDomainSocket(socketPath, timeout), nullptr);
    reader_ = std::make_unique<HttpMessageReader>(*stream_);
}

HttpConnection::~HttpConnection() {
    reader_.reset();
    stream_.reset();
}

void HttpConnection::sendRaw(const std::string& bytes) { stream_->writeAll(bytes); }

HttpResponse HttpConnection::readResponse() {
    try {
        auto head = reader_->readHead();
        if (!head) {
            throw std::runtime_error("HttpConnection: connection closed before a response");
        }
        HttpResponse response;
        response.statusLine = head->startLine;
        size_t blank = head->startLine.find(' ');
        if (head->startLine.compare(0, 5, "HTTP/") != 0 || blank == std::string::npos) {
            throw std::runtime_error("HttpConnection: bad status line \"" + head->startLine + "\"");
        }
        response.status = std::atoi(head->startLine.c_str() + blank + 1);
        response.headers = head->headers.fields();
        auto encoding = head->headers.find("Transfer-Encoding");
        response.chunked = encoding && headerHasToken(*encoding, "chunked");
        HeaderList trailers;
        response.body = reader_->readBody(*head, false, &trailers);
        response.trailers = trailers.fields();
        return response;
    } catch (const mlnx_cimsim::HttpFramingError& error) {
        throw std::runtime_error(std::string("HttpConnection: incomplete response: ") + error.what());
    } catch (const mlnx_cimsim::StreamError& error) {
        throw std::runtime_error(std::string("HttpConnection: ") + error.what());
    }
}

HttpResponse HttpConnection::exchange(const std::string& requestBytes) {
    try {
        sendRaw(requestBytes);
    } catch (const mlnx_cimsim::StreamError& error) {
        throw std::runtime_error(std::string("HttpConnection: sending failed: ") + error.what());
    }
    return readResponse();
}

bool HttpConnection::closedByPeer() {
    try {
        char byte;
        return stream_->readSome(&byte, 1) == 0;
    } catch (const mlnx_cimsim::StreamError&) {
        return true;
    }
}

std::string buildRequest(const std::string& method, const std::string& target, const std::string& body,
                         const std::vector<std::string>& headerLines) {
    std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (const auto& line : headerLines) {
        request += line + "\r\n";
    }
    request += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    return request + body;
}

}  // namespace mlnx_cimsim::testing
