#pragma once
// HTTP Basic authentication as OpenPegasus answers it.

#include "server/server_state.h"
#include "wire/http_message.h"
#include "wire/http_reply.h"

namespace mlnx_cimsim {

bool isAuthorized(const HttpRequest& request, const Credentials& credentials);
// 401 with WWW-Authenticate; PGErrorDetail when the request carried no Authorization.
HttpReply unauthorizedReply(const HttpRequest& request, const std::string& realm);

}  // namespace mlnx_cimsim
