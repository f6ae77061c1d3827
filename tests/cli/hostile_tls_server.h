#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace cli_test {

// A certificate and its key, as PEM files.
struct PemPair {
    std::string certificate;
    std::string key;
};

// Test certificates made with the openssl command in `folder`: a CA, and
// server certificates that it signs or that sign themselves.
class TestPki {
public:
    explicit TestPki(const std::string& folder);
    const std::string& CaFile() const { return m_ca_.certificate; }
    // Signed by the CA, naming `subjectAltName` ("DNS:host" or "IP:address").
    PemPair Signed(const std::string& name, const std::string& subjectAltName) const;
    // Signed by itself, naming 127.0.0.1.
    PemPair SelfSigned(const std::string& name) const;

private:
    std::string m_folder_;
    PemPair m_ca_;
};

// A TLS server on 127.0.0.1 that impersonates a CIM server: connection N
// shows certificates[N] (the last one for all further connections), answers
// every request with 401 and a Basic challenge, and counts the requests that
// carried an Authorization field, which a client must never send to it.
class HostileTlsServer {
public:
    explicit HostileTlsServer(std::vector<PemPair> certificates);
    ~HostileTlsServer();
    HostileTlsServer(const HostileTlsServer&) = delete;
    HostileTlsServer& operator=(const HostileTlsServer&) = delete;

    uint16_t Port() const { return m_port_; }
    int Connections() const { return m_connections_; }
    int Requests() const { return m_requests_; }
    int RequestsWithCredentials() const { return m_with_credentials_; }

private:
    void Serve();
    void Converse(int fd, std::size_t index);

    std::vector<PemPair> m_certificates_;
    int m_listener_ = -1;
    uint16_t m_port_ = 0;
    std::atomic<bool> m_stop_{false};
    std::atomic<int> m_connections_{0};
    std::atomic<int> m_requests_{0};
    std::atomic<int> m_with_credentials_{0};
    std::thread m_thread_;
};

}  // namespace cli_test
