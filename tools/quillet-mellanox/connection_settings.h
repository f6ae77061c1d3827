#pragma once
#include <cstdint>
#include <string>

#include "connection_info.h"
#include "tool_options.h"

namespace Quillet::Cli {

// The password for the out-of-band connection: from --password-file, else
// asked on the terminal when a user is given, else empty.
std::string ObtainPassword(const ToolOptions& options, const std::string& server);

// The connection record the framework would pass for this server.
Quillet::QuilletConnection::ConnectionInfo RemoteConnection(const std::string& host, uint16_t port,
                                                            const std::string& user, const std::string& password,
                                                            bool ssl);

}  // namespace Quillet::Cli
