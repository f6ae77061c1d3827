#include "cimsim/unused_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace mlnx_cimsim::testing {

uint16_t unusedLoopbackPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        throw std::runtime_error(std::string("cannot open a socket: ") + std::strerror(errno));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    const int error = errno;
    ::close(probe);
    if (!bound)
        throw std::runtime_error(std::string("cannot reserve a loopback port: ") + std::strerror(error));
    return ntohs(address.sin_port);
}

}  // namespace mlnx_cimsim::testing
