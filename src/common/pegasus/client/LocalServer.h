#ifndef Pegasus_Client_LocalServer_h
#define Pegasus_Client_LocalServer_h

#include "transport/HttpTransport.h"

#include <string>

namespace Pegasus {
namespace ClientDetail {

#include <vector>

// Environment variable that points connectLocal() at another server, as
// http://HOST:PORT, https://HOST:PORT or unix:PATH.
constexpr const char* kLocalServerVariable = "QUILLET_CIMSERVER_LOCAL";

// Where the local CIM server is looked for, in this order: the one endpoint
// `url` names when it is not empty; otherwise, as OpenPegasus's
// connectLocal() does, its domain socket (Linux: where distribution packages
// put it, then where a server built from source does), then loopback HTTP
// 5988 and HTTPS 5989. TLS to the local server accepts any certificate.
// Raises CannotConnectException for a URL it cannot use.
std::vector<Endpoint> localServerEndpoints(const std::string& url);

// One endpoint from http://HOST[:PORT], https://HOST[:PORT] or unix:PATH.
Endpoint localServerEndpoint(const std::string& url);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
