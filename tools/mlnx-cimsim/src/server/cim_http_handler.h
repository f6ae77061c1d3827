#pragma once
// POST /cimom: header checks, decoding, dispatch and the framing the client asked for.

#include "server/server_state.h"
#include "wire/http_message.h"
#include "wire/http_reply.h"

#include <string>

namespace mlnx_cimsim {

struct CimExchangeSummary {
    std::string operation;  // "EnumerateInstances", a method name, or "" when undecodable
    std::string subject;    // namespace:class
    int cimStatus = 0;
};

HttpReply handleCimRequest(const HttpRequest& request, ServerState& state, CimExchangeSummary& summary);

}  // namespace mlnx_cimsim
