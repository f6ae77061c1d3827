#include "DomainSocketPeer.h"

#include "../ClientErrors.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Pegasus {
namespace ClientDetail {

std::string untrustedDomainSocketPeerReason(int socketFd)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || length != sizeof peer)
        return std::string("the server's user cannot be read from the socket: ") + std::strerror(errno);
    if (peer.uid == 0 || peer.uid == ::geteuid())
        return "";
    return "the server at this socket runs as user ID " + std::to_string(peer.uid) + " (process " +
           std::to_string(peer.pid) + "), neither root nor this process's user; nothing was sent";
}

void requireTrustedDomainSocketPeer(int socketFd, const std::string& socketPath)
{
    const std::string reason = untrustedDomainSocketPeerReason(socketFd);
    if (!reason.empty())
        throwCannotConnect(socketPath, reason);
}

}  // namespace ClientDetail
}  // namespace Pegasus
