#include "server/server_stats.h"

namespace mlnx_cimsim {

void ServerStats::uncountControlConnection(bool handshaken) {
    --connections_;
    if (handshaken) {
        --tlsHandshakes_;
    }
}

void ServerStats::countRequest(const std::string& operation) {
    ++requests_;
    if (operation.empty()) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ++operations_[operation];
}

nlohmann::json ServerStats::describe() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return nlohmann::json{{"connections", connections_.load()},
                          {"tls_handshakes", tlsHandshakes_.load()},
                          {"refused", refused_.load()},
                          {"requests", requests_.load()},
                          {"operations", operations_}};
}

}  // namespace mlnx_cimsim
