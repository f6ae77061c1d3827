#ifndef Pegasus_Client_LocalServer_h
#define Pegasus_Client_LocalServer_h

#include "transport/HttpTransport.h"

#include <string>

namespace Pegasus {
namespace ClientDetail {

// Environment variable that points connectLocal() at another server, as
// http://HOST:PORT or https://HOST:PORT.
constexpr const char* kLocalServerVariable = "QUILLET_CIMSERVER_LOCAL";

// The endpoint of the local CIM server: `url` when it is not empty,
// otherwise http://127.0.0.1:5988. TLS to it accepts any certificate.
// Raises CannotConnectException for a URL it cannot use.
Endpoint localServerEndpoint(const std::string& url);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
