#include "hostile_tls_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

namespace cli_test {
namespace {

const char kNewKey[] = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 ";
const char kChallenge[] =
    "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"cimom\"\r\nContent-Length: 0\r\n\r\n";

void RunOpenssl(const std::string& arguments)
{
    const std::string command = kNewKey + arguments + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("openssl could not make a test certificate: " + command);
    }
}

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The Content-Length of a request head, 0 when it has none.
std::size_t BodyLength(const std::string& loweredHead)
{
    const std::size_t at = loweredHead.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::strtoul(loweredHead.c_str() + at + 17, nullptr, 10);
}

}  // namespace

TestPki::TestPki(const std::string& folder) : m_folder_(folder)
{
    m_ca_ = {folder + "/ca.pem", folder + "/ca.key"};
    RunOpenssl("-subj '/CN=Quillet test CA' -addext basicConstraints=critical,CA:TRUE "
               "-addext keyUsage=critical,keyCertSign -keyout " + m_ca_.key + " -out " + m_ca_.certificate);
}

PemPair TestPki::Signed(const std::string& name, const std::string& subjectAltName) const
{
    const PemPair pair{m_folder_ + "/" + name + ".pem", m_folder_ + "/" + name + ".key"};
    RunOpenssl("-subj /CN=" + name + " -CA " + m_ca_.certificate + " -CAkey " + m_ca_.key +
               " -addext subjectAltName=" + subjectAltName + " -addext basicConstraints=critical,CA:FALSE -keyout " +
               pair.key + " -out " + pair.certificate);
    return pair;
}

PemPair TestPki::SelfSigned(const std::string& name) const
{
    const PemPair pair{m_folder_ + "/" + name + ".pem", m_folder_ + "/" + name + ".key"};
    RunOpenssl("-subj /CN=" + name + " -addext subjectAltName=IP:127.0.0.1 -keyout " + pair.key + " -out " +
               pair.certificate);
    return pair;
}

HostileTlsServer::HostileTlsServer(std::vector<PemPair> certificates) : m_certificates_(std::move(certificates))
{
    m_listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(m_listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(m_listener_, 16) != 0 ||
        getsockname(m_listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "cannot set up the hostile TLS listener";
        return;
    }
    m_port_ = ntohs(address.sin_port);
    m_thread_ = std::thread(&HostileTlsServer::Serve, this);
}

HostileTlsServer::~HostileTlsServer()
{
    m_stop_ = true;
    if (m_thread_.joinable()) {
        m_thread_.join();
    }
    if (m_listener_ >= 0) {
        close(m_listener_);
    }
}

void HostileTlsServer::Serve()
{
    while (!m_stop_) {
        pollfd waiting{m_listener_, POLLIN, 0};
        if (poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        const int fd = accept4(m_listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        const std::size_t index = static_cast<std::size_t>(m_connections_++);
        Converse(fd, std::min(index, m_certificates_.size() - 1));
        close(fd);
    }
}

// One connection: the handshake with its certificate, then 401 to every
// request until the client goes (or is silent for two seconds).
void HostileTlsServer::Converse(int fd, std::size_t index)
{
    timeval limit{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_server_method()), SSL_CTX_free);
    const PemPair& pem = m_certificates_[index];
    if (SSL_CTX_use_certificate_chain_file(context.get(), pem.certificate.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context.get(), pem.key.c_str(), SSL_FILETYPE_PEM) != 1) {
        ADD_FAILURE() << "cannot load " << pem.certificate;
        return;
    }
    std::unique_ptr<SSL, decltype(&SSL_free)> tls(SSL_new(context.get()), SSL_free);
    SSL_set_fd(tls.get(), fd);
    if (SSL_accept(tls.get()) != 1) {
        return;  // the client refused the certificate
    }
    std::string received;
    char buffer[4096];
    for (;;) {
        const std::size_t headEnd = received.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
            const std::string head = Lowered(received.substr(0, headEnd + 2));
            const std::size_t end = headEnd + 4 + BodyLength(head);
            if (received.size() >= end) {
                ++m_requests_;
                if (head.find("\r\nauthorization:") != std::string::npos) {
                    ++m_with_credentials_;
                }
                received.erase(0, end);
                SSL_write(tls.get(), kChallenge, sizeof kChallenge - 1);
                continue;
            }
        }
        const int n = SSL_read(tls.get(), buffer, sizeof buffer);
        if (n <= 0) {
            return;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace cli_test
