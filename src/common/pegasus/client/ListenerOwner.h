#ifndef Pegasus_Client_ListenerOwner_h
#define Pegasus_Client_ListenerOwner_h

#include "transport/HttpTransport.h"

#include <string>

namespace Pegasus {
namespace ClientDetail {

// Whether the one who listens at a local endpoint that connectLocal()
// chose on its own may be trusted with our requests. Any user may listen
// on a free loopback port or create a socket in /var/tmp while the CIM
// server is down; the module, running as root, would then take its
// answers for the host's inventory.
//
// Trusted: a domain socket file owned by root; a loopback TCP listener
// (127.0.0.1, 0.0.0.0, ::1 or ::) whose socket belongs to root, which
// OpenPegasus's cimserver runs as, or to this process's own user, who can
// gain nothing it does not have already. On Windows a listener's process
// must run as SYSTEM, LocalService or this process's own user.
//
// Returns "" when trusted, else why not. A TCP port where nobody listens is
// not trusted (whoever listens a moment later cannot be vouched for); a
// missing socket file is left to the connect, whose peer check covers a
// socket made in between.
std::string untrustedListenerReason(const Endpoint& endpoint);

#ifndef _WIN32
// The same question for one connection just made to a loopback listener:
// the socket that accepted it (the kernel's row for it, seen from the
// server's side, which carries its listener's user) must belong to root or
// this process's user. Asked on every connect, so a listener that changed
// hands after untrustedListenerReason looked, or before a reconnect, is
// refused before a byte is sent. Returns "" when trusted, else why not.
std::string untrustedTcpPeerReason(int socketFd);
#endif

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
