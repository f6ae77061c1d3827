#include "fleet_servers.h"

#include "connection_settings.h"
#include "log_forwarding.h"
#include "password_source.h"

namespace Quillet::Cli {

HostList ReadFleetServers(const ToolOptions& options, const std::string& done)
{
    HostList list = ReadHostList(options.hostsFile, options.port != 0 ? options.port : DefaultCimPort(options.ssl));
    for (const std::string& repeated : list.repeated) {
        WriteErrorLine("quillet-mellanox: warning: hosts file '" + options.hostsFile + "' lists " + repeated +
                       " more than once; it is " + done + " once");
    }
    return list;
}

FleetPasswords::FleetPasswords(const ToolOptions& options, const std::vector<HostEntry>& servers)
{
    m_by_file_[""] = ObtainPassword(options, "the servers of " + options.hostsFile);
    for (const HostEntry& server : servers) {
        if (!server.passwordFile.empty() && m_by_file_.count(server.passwordFile) == 0) {
            m_by_file_[server.passwordFile] = ReadPasswordFile(server.passwordFile);
        }
    }
}

}  // namespace Quillet::Cli
