#pragma once
// The test-facing side door: POST /control sets or clears faults and the provider
// module's state; GET /stats reports counters, the module's state and the jobs.

#include "server/server_state.h"
#include "wire/http_message.h"
#include "wire/http_reply.h"

namespace mlnx_cimsim {

bool isControlTarget(const std::string& target);
HttpReply handleControlRequest(const HttpRequest& request, ServerState& state);

// Applies one control document (also used for the command-line fault options);
// throws std::invalid_argument naming the field that is wrong.
void applyControl(const nlohmann::json& document, ServerState& state);
nlohmann::json describeStats(ServerState& state);

}  // namespace mlnx_cimsim
