#ifndef Pegasus_Client_LocalServer_h
#define Pegasus_Client_LocalServer_h

#include "transport/HttpTransport.h"

#include <string>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

// Environment variable that points connectLocal() at another server:
// URL or URL;localauth=FOLDER, with URL one of http://HOST:PORT,
// https://HOST:PORT or unix:PATH. FOLDER is the one folder whose Local
// challenges are answered for that server; without it, the folders of
// OpenPegasus's own builds are.
constexpr const char* kLocalServerVariable = "QUILLET_CIMSERVER_LOCAL";

// OpenPegasus's local-authentication folders, each fixed when it is built:
// the distribution packages' and a build from source's (on Windows, the
// one its build uses).
#ifdef _WIN32
constexpr const char* kSourceBuildChallengeFolder = "/tmp";
#else
constexpr const char* kPackagesChallengeFolder = "/var/lib/Pegasus/cache/localauth";
constexpr const char* kPackagesSocket = "/var/run/tog-pegasus/cimxml.socket";
constexpr const char* kSourceBuildChallengeFolder = "/var/tmp";
constexpr const char* kSourceBuildSocket = "/var/tmp/cimxml.socket";
#endif

// One way to the local CIM server, with what is trusted about it.
struct LocalServerCandidate
{
    Endpoint endpoint;
    // The folders where this server's Local challenges may lie.
    std::vector<std::string> challengeFolders;
    // Chosen by us rather than named by the variable: used only if the
    // one who listens there is trusted (see ListenerOwner.h).
    bool checkListener = false;
};

// Where the local CIM server is looked for, in this order: the one server
// `setting` (the variable's value) names when it is not empty; otherwise,
// as OpenPegasus's connectLocal() does, its domain socket (Linux: where
// distribution packages put it, then where a server built from source
// does), then loopback HTTP 5988 and HTTPS 5989. TLS to the local server
// accepts any certificate. Raises CannotConnectException for a setting it
// cannot use.
std::vector<LocalServerCandidate> localServerCandidates(const std::string& setting);

// One endpoint from http://HOST[:PORT], https://HOST[:PORT] or unix:PATH.
Endpoint localServerEndpoint(const std::string& url);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
