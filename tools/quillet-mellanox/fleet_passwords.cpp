#include "fleet_passwords.h"

#include "connection_settings.h"
#include "password_source.h"

namespace Quillet::Cli {

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
