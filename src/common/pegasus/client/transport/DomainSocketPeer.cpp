#include "DomainSocketPeer.h"

#include "../ClientErrors.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Pegasus {
namespace ClientDetail {

void requireTrustedDomainSocketPeer(int socketFd, const std::string& socketPath)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0)
        throwCannotConnect(socketPath, std::string("the server's credentials cannot be read: ") +
                                           std::strerror(errno));
    const uid_t own = ::geteuid();
    if (peer.uid != 0 && peer.uid != own)
        throwCannotConnect(socketPath, "the server runs as uid " + std::to_string(peer.uid) +
                                           ", neither root nor this process's uid " +
                                           std::to_string(own) +
                                           ", so it is not trusted with our requests");
}

}  // namespace ClientDetail
}  // namespace Pegasus
