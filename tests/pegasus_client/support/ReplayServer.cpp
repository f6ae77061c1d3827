#include "ReplayServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>

// One accepted connection, plain or TLS.
class Channel
{
public:
    Channel(int fd, SSL_CTX* context) : _fd(fd)
    {
        if (context)
        {
            _ssl = SSL_new(context);
            SSL_set_fd(_ssl, fd);
            if (SSL_accept(_ssl) != 1)
            {
                SSL_free(_ssl);
                _ssl = nullptr;
                _broken = true;
            }
        }
    }
    ~Channel()
    {
        if (_ssl)
        {
            SSL_shutdown(_ssl);
            SSL_free(_ssl);
        }
        ::close(_fd);
    }

    bool broken() const { return _broken; }

    // Waits up to 50 ms for data; 0 means nothing yet, -1 closed.
    long read(char* buffer, std::size_t size)
    {
        if (!_ssl || SSL_pending(_ssl) == 0)
        {
            pollfd waiter{_fd, POLLIN, 0};
            if (::poll(&waiter, 1, 50) <= 0)
                return 0;
        }
        long n = _ssl ? SSL_read(_ssl, buffer, static_cast<int>(size))
                      : ::recv(_fd, buffer, size, 0);
        return n > 0 ? n : -1;
    }

    void write(const std::string& bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size())
        {
            long n = _ssl ? SSL_write(_ssl, bytes.data() + sent, static_cast<int>(bytes.size() - sent))
                          : ::send(_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += static_cast<std::size_t>(n);
        }
    }

private:
    int _fd;
    SSL* _ssl = nullptr;
    bool _broken = false;
};

namespace {

std::size_t contentLength(const std::string& head)
{
    std::string lower;
    for (char c : head)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::size_t at = lower.find("\ncontent-length:");
    if (at == std::string::npos)
        return 0;
    return std::strtoul(head.c_str() + at + 16, nullptr, 10);
}

// The captured responses carry the MESSAGE ID of the client that recorded
// them; the replay answers with the ID of the request it got.
std::string withMessageIdOf(const std::string& request, std::string reply)
{
    const std::string marker = "<MESSAGE ID=\"";
    std::size_t in = request.find(marker);
    std::size_t out = reply.find(marker);
    if (in == std::string::npos || out == std::string::npos)
        return reply;
    std::size_t inEnd = request.find('"', in + marker.size());
    std::size_t outEnd = reply.find('"', out + marker.size());
    std::string id = request.substr(in + marker.size(), inEnd - in - marker.size());
    if (id.size() == outEnd - out - marker.size())
        reply.replace(out + marker.size(), id.size(), id);
    return reply;
}

}  // namespace

ReplayServer::ReplayServer(std::vector<Reply> replies) : ReplayServer(std::move(replies), Tls{}) {}

ReplayServer::ReplayServer(std::vector<Reply> replies, Tls tls)
    : _replies(std::move(replies)), _tls(std::move(tls))
{
    // A client that closes right after its handshake (connect()) leaves the
    // server's TLS session tickets unread; writing them must not end the test.
    ::signal(SIGPIPE, SIG_IGN);
    _listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    ::setsockopt(_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(_listener, 8) != 0)
        throw std::runtime_error("replay server cannot listen");
    socklen_t length = sizeof address;
    ::getsockname(_listener, reinterpret_cast<sockaddr*>(&address), &length);
    _port = ntohs(address.sin_port);
    _thread = std::thread([this] { run(); });
}

ReplayServer::~ReplayServer()
{
    _stopping = true;
    _thread.join();
    ::close(_listener);
}

std::vector<std::string> ReplayServer::requests() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _requests;
}

void ReplayServer::run()
{
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(nullptr, SSL_CTX_free);
    if (!_tls.certificateFile.empty())
    {
        context.reset(SSL_CTX_new(TLS_server_method()));
        SSL_CTX_use_certificate_file(context.get(), _tls.certificateFile.c_str(), SSL_FILETYPE_PEM);
        SSL_CTX_use_PrivateKey_file(context.get(), _tls.keyFile.c_str(), SSL_FILETYPE_PEM);
    }
    while (!_stopping)
    {
        pollfd waiter{_listener, POLLIN, 0};
        if (::poll(&waiter, 1, 50) <= 0)
            continue;
        int fd = ::accept4(_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++_connections;
        Channel channel(fd, context.get());
        if (channel.broken())
            continue;
        serveConnection(channel);
    }
}

void ReplayServer::serveConnection(Channel& channel)
{
    {
        std::string pending;
        char buffer[16384];
        while (!_stopping)
        {
            std::size_t headEnd = pending.find("\r\n\r\n");
            if (headEnd == std::string::npos || pending.size() < headEnd + 4 + contentLength(pending.substr(0, headEnd + 2)))
            {
                long n = channel.read(buffer, sizeof buffer);
                if (n < 0)
                    break;
                pending.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            std::size_t total = headEnd + 4 + contentLength(pending.substr(0, headEnd + 2));
            std::string request = pending.substr(0, total);
            pending.erase(0, total);
            {
                std::lock_guard<std::mutex> lock(_mutex);
                _requests.push_back(request);
            }
            if (_nextReply >= _replies.size())
                break;
            const Reply& reply = _replies[_nextReply++];
            if (reply.kind == Reply::Kind::Silent)
            {
                while (!_stopping && channel.read(buffer, sizeof buffer) >= 0)
                {
                }
                break;
            }
            channel.write(withMessageIdOf(request, reply.bytes));
            if (reply.kind == Reply::Kind::SendAndClose)
                break;
        }
    }
}

std::uint16_t unusedPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

const TestCertificate& testCertificate(const std::string& name)
{
    static std::map<std::string, TestCertificate> made;
    auto found = made.find(name);
    if (found != made.end())
        return found->second;
    char directory[] = "/tmp/pegasus-client-tls-XXXXXX";
    if (!::mkdtemp(directory))
        throw std::runtime_error("cannot make a temporary directory");
    TestCertificate certificate{std::string(directory) + "/cert.pem",
                                std::string(directory) + "/key.pem"};
    std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                          "-nodes -days 2 -subj /CN=" + name + " -addext subjectAltName=IP:127.0.0.1"
                          " -keyout " + certificate.keyFile + " -out " + certificate.certificateFile +
                          " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("openssl could not make a test certificate");
    return made.emplace(name, certificate).first->second;
}
