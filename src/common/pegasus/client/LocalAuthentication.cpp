#include "LocalAuthentication.h"

#include "ClientErrors.h"

#include <Pegasus/Client/CIMClientFailureExceptions.h>

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>

#include <vector>
#endif

namespace Pegasus {
namespace ClientDetail {

std::string effectiveUserName()
{
#ifdef _WIN32
    wchar_t name[257] = {};
    DWORD length = 257;
    if (!GetUserNameW(name, &length) || length <= 1)
        throwCannotConnect("the local CIM server", "the name of this process's user is unknown");
    const int size = WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, name, -1, text.data(), size, nullptr, nullptr);
    text.resize(std::strlen(text.c_str()));
    return text;
#else
    const uid_t user = ::geteuid();
    long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    int rc = 0;
    while ((rc = ::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found)) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (rc != 0 || found == nullptr || found->pw_name == nullptr)
    {
        throwCannotConnect("the local CIM server",
                           "user ID " + std::to_string(user) + " has no user name");
    }
    return found->pw_name;
#endif
}

std::string localIdentification(const std::string& user)
{
    return "Local \"" + user + "\"";
}

std::string localChallengeAnswer(const std::string& user, const std::string& path,
                                 const std::string& content)
{
    return "Local \"" + user + ":" + path + ":" + content + "\"";
}

std::optional<std::string> localChallengePath(const HttpHeaders& headers)
{
    const std::string* challenge = findHeader(headers, "WWW-Authenticate");
    if (!challenge)
        return std::nullopt;
    std::string_view text(*challenge);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    if (text.substr(0, 6) != "Local " && text.substr(0, 6) != "Local\t")
        return std::nullopt;
    const std::size_t open = text.find('"');
    const std::size_t close = open == std::string_view::npos ? open : text.find('"', open + 1);
    if (close == std::string_view::npos || close == open + 1)
        return std::nullopt;
    return std::string(text.substr(open + 1, close - open - 1));
}

}  // namespace ClientDetail
}  // namespace Pegasus
