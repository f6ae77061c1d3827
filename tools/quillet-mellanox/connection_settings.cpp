#include "connection_settings.h"

#include <cstdlib>
#include <filesystem>

#include "password_source.h"

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

void UseTrustStoreForAllConnections(const std::string& caFile)
{
    if (caFile.empty()) {
        return;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(caFile, error);
    setenv("QUILLET_CIMSERVER_TRUST_STORE", (error ? std::filesystem::path(caFile) : absolute).c_str(), 1);
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
