#include "LocalServer.h"

#include "ClientErrors.h"

#include <charconv>

namespace Pegasus {
namespace ClientDetail {

namespace {

Endpoint loopback(std::uint32_t port, bool tls)
{
    Endpoint endpoint;
    endpoint.host = "127.0.0.1";
    endpoint.port = port;
    endpoint.tls.enabled = tls;
    return endpoint;
}

Endpoint domainSocket(const std::string& path)
{
    Endpoint endpoint;
    endpoint.unixSocket = path;
    return endpoint;
}

// The folders of both kinds of OpenPegasus server, for an endpoint either may serve.
std::vector<std::string> defaultChallengeFolders()
{
#ifdef _WIN32
    return {kSourceBuildChallengeFolder};
#else
    return {kPackagesChallengeFolder, kSourceBuildChallengeFolder};
#endif
}

// URL or URL;localauth=FOLDER; the server it names is the one the caller
// chose, so who listens there is not questioned.
LocalServerCandidate namedServer(const std::string& setting)
{
    constexpr std::string_view kFolderKey = ";localauth=";
    const std::size_t split = setting.find(kFolderKey);
    LocalServerCandidate candidate;
    candidate.endpoint = localServerEndpoint(setting.substr(0, split));
    candidate.challengeFolders = defaultChallengeFolders();
    if (split != std::string::npos)
    {
        std::string folder = setting.substr(split + kFolderKey.size());
        while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
            folder.pop_back();
        if (folder.empty())
        {
            throwCannotConnect(std::string(kLocalServerVariable) + "=" + setting,
                               "no folder follows \"localauth=\"");
        }
        candidate.challengeFolders = {folder};
    }
    return candidate;
}

}  // namespace

std::vector<LocalServerCandidate> localServerCandidates(const std::string& setting)
{
    if (!setting.empty())
        return {namedServer(setting)};
    std::vector<LocalServerCandidate> candidates;
#ifndef _WIN32
    candidates.push_back({domainSocket(kPackagesSocket), {kPackagesChallengeFolder}, true});
    candidates.push_back({domainSocket(kSourceBuildSocket), {kSourceBuildChallengeFolder}, true});
#endif
    // Over TCP either kind of server may answer.
    candidates.push_back({loopback(5988, false), defaultChallengeFolders(), true});
    candidates.push_back({loopback(5989, true), defaultChallengeFolders(), true});
    return candidates;
}

Endpoint localServerEndpoint(const std::string& url)
{
    Endpoint endpoint = loopback(5988, false);
    auto reject = [&url](const std::string& why) {
        throwCannotConnect(std::string(kLocalServerVariable) + "=" + url,
                           why + "; expected http://HOST:PORT, https://HOST:PORT or unix:PATH");
    };
    std::string_view rest(url);
    if (rest.rfind("unix:", 0) == 0)
    {
        rest.remove_prefix(5);
        if (rest.empty())
            reject("no socket path is given");
        return domainSocket(std::string(rest));
    }
    if (rest.rfind("https://", 0) == 0)
    {
        endpoint.tls.enabled = true;
        rest.remove_prefix(8);
    }
    else if (rest.rfind("http://", 0) == 0)
    {
        rest.remove_prefix(7);
    }
    else
    {
        reject("the scheme is neither http, https nor unix");
    }
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);

    std::string_view portText;
    if (!rest.empty() && rest.front() == '[')
    {
        std::size_t close = rest.find(']');
        if (close == std::string_view::npos)
            reject("the IPv6 address is not closed by ']'");
        endpoint.host = std::string(rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
        if (!rest.empty() && rest.front() == ':')
            portText = rest.substr(1);
        else if (!rest.empty())
            reject("unexpected text after the address");
    }
    else
    {
        std::size_t colon = rest.rfind(':');
        endpoint.host = std::string(rest.substr(0, colon));
        if (colon != std::string_view::npos)
            portText = rest.substr(colon + 1);
    }
    if (endpoint.host.empty())
        reject("no host is given");
    if (portText.empty())
    {
        endpoint.port = endpoint.tls.enabled ? 5989 : 5988;
        return endpoint;
    }
    unsigned port = 0;
    auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (error != std::errc() || end != portText.data() + portText.size() || port == 0 ||
        port > 65535)
        reject("the port \"" + std::string(portText) + "\" is not a number from 1 to 65535");
    endpoint.port = port;
    return endpoint;
}

}  // namespace ClientDetail
}  // namespace Pegasus
