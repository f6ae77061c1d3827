#pragma once
// Counters that tests read through GET /stats.

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace mlnx_cimsim {

class ServerStats {
public:
    void countConnection() { ++connections_; }
    void countTlsHandshake() { ++tlsHandshakes_; }
    // A connection that turned out to carry control requests (a test reading
    // these counters) is not the traffic being counted.
    void uncountControlConnection(bool handshaken);
    void countRefused() { ++refused_; }
    void countRequest(const std::string& operation);
    nlohmann::json describe() const;

private:
    std::atomic<uint64_t> connections_{0};
    std::atomic<uint64_t> tlsHandshakes_{0};
    std::atomic<uint64_t> refused_{0};
    std::atomic<uint64_t> requests_{0};
    mutable std::mutex mutex_;
    std::map<std::string, uint64_t> operations_;
};

}  // namespace mlnx_cimsim
