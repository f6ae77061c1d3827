#include "connection_settings.h"

#include <cstdlib>

#include "password_source.h"
#include "trusted_files.h"

namespace Quillet::Cli {

std::string ObtainPassword(const ToolOptions& options, const std::string& server)
{
    if (!options.passwordFile.empty()) {
        return ReadPasswordFile(options.passwordFile);
    }
    if (options.user.empty()) {
        return std::string();
    }
    return PromptPassword("Password for " + options.user + "@" + server + ": ");
}

std::string UseTrustStoreForAllConnections(const std::string& caFile)
{
    if (caFile.empty()) {
        return std::string();
    }
    // Whoever could change the certificates chooses whom the credentials go
    // to; the library opens the file again on each connection, by the path
    // checked here with its links resolved.
    std::string realPath;
    ReadSettingsFile(caFile, "the CA file", &realPath);
    setenv("QUILLET_CIMSERVER_TRUST_STORE", realPath.c_str(), 1);
    return realPath;
}

Quillet::QuilletConnection::ConnectionInfo RemoteConnection(const std::string& host, uint16_t port,
                                                            const std::string& user, const std::string& password,
                                                            bool ssl)
{
    Quillet::QuilletConnection::ConnectionInfo info;
    info.host = host;
    info.port = port;
    info.user_name = user;
    info.password = password;
    info.connection_type = ssl ? 1 : 0;
    return info;
}

}  // namespace Quillet::Cli
