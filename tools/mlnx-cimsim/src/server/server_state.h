#pragma once
// Everything the connection threads share: the provider behind its lock, faults,
// counters and the access settings.

#include "model/provider.h"
#include "server/fault_settings.h"
#include "server/server_stats.h"

#include <mutex>
#include <optional>
#include <string>

namespace mlnx_cimsim {

struct Credentials {
    std::string user;
    std::string password;
};

struct ServerState {
    explicit ServerState(Provider providerToServe) : provider(std::move(providerToServe)) {}

    std::mutex providerMutex;
    Provider provider;
    FaultSettings faults;
    ServerStats stats;
    std::optional<Credentials> credentials;  // none: no authentication
    std::string realm;                       // of WWW-Authenticate
    bool logRequests = true;
};

}  // namespace mlnx_cimsim
