#pragma once
#include <map>
#include <string>
#include <vector>

#include "host_list.h"
#include "tool_options.h"

namespace Quillet::Cli {

// The servers of --hosts, each once; a server listed more than once gets a
// warning on stderr naming its lines and saying it is `done` ("inventoried")
// once. Throws ToolError as ReadHostList does.
HostList ReadFleetServers(const ToolOptions& options, const std::string& done);

// Passwords of a fleet run: each server's own password file read once, and
// the command line's password (file or prompt) for servers without one.
class FleetPasswords {
public:
    FleetPasswords(const ToolOptions& options, const std::vector<HostEntry>& servers);
    const std::string& For(const HostEntry& server) const { return m_by_file_.at(server.passwordFile); }

private:
    std::map<std::string, std::string> m_by_file_;  // "" holds the command line's
};

}  // namespace Quillet::Cli
