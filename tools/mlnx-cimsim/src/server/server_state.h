#pragma once
// Everything the connection threads share: the provider behind its lock, faults,
// counters and the access settings.

#include "model/provider.h"
#include "server/local_auth.h"
#include "server/fault_settings.h"
#include "server/server_stats.h"

#include <memory>
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
    // Authentication on: Local on every listener (localChallenges), Basic over TCP
    // when credentials are set.
    bool authentication = false;
    std::optional<Credentials> credentials;  // of Basic
    std::unique_ptr<LocalChallenges> localChallenges;
    std::string realm;                       // of WWW-Authenticate
    bool logRequests = true;
};

}  // namespace mlnx_cimsim
