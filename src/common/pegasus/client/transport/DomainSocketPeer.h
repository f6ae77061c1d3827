#ifndef Pegasus_Client_Transport_DomainSocketPeer_h
#define Pegasus_Client_Transport_DomainSocketPeer_h

#include <string>

namespace Pegasus {
namespace ClientDetail {

// Called right after a domain socket connects, before a byte is sent: the
// process at the other end (its credentials as the kernel recorded them at
// connect) must run as root or as this process's effective user; anyone
// else could have put a socket where the CIM server's should be. Raises
// CannotConnectException naming the socket, the peer's user ID and why.
void requireTrustedDomainSocketPeer(int socketFd, const std::string& socketPath);

// The same test for callers that cannot throw: "" when the peer is trusted,
// else the reason.
std::string untrustedDomainSocketPeerReason(int socketFd);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
