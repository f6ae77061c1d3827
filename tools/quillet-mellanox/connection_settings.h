#pragma once
#include <cstdint>
#include <string>

#include "connection_info.h"
#include "tool_options.h"

namespace Quillet::Cli {

// The password for the out-of-band connection: from --password-file, else
// asked on the terminal when a user is given, else empty.
std::string ObtainPassword(const ToolOptions& options, const std::string& server);

// With a CA file (--verify-cert), makes every TLS connection of our CIM
// client library in this process, the module's included, verify the server's
// chain and host name against it: the module itself passes an empty trust
// store, as the framework does. The file must be one only root or the
// tool's user could have written (ReadSettingsFile). Sets
// QUILLET_CIMSERVER_TRUST_STORE to the checked file's path, links resolved,
// and returns that path, the one every later check must load; nothing and
// empty without a CA file.
std::string UseTrustStoreForAllConnections(const std::string& caFile);

// The connection record the framework would pass for this server.
Quillet::QuilletConnection::ConnectionInfo RemoteConnection(const std::string& host, uint16_t port,
                                                            const std::string& user, const std::string& password,
                                                            bool ssl);

}  // namespace Quillet::Cli
