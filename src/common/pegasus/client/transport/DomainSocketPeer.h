#ifndef Pegasus_Client_Transport_DomainSocketPeer_h
#define Pegasus_Client_Transport_DomainSocketPeer_h

#include <string>

namespace Pegasus {
namespace ClientDetail {

// Accepts the process at the other end of a connected domain socket only
// when it runs as root or as this process's effective user, before a byte
// is sent to it; else throws CannotConnectException naming the socket, the
// peer's uid and why.
void requireTrustedDomainSocketPeer(int socketFd, const std::string& socketPath);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
