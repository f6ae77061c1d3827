#include "silent_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace cli_test {
namespace {

const int kFillingConnections = 3;

sockaddr_in Loopback(uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

SilentServer::SilentServer()
{
    m_listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (bind(m_listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(m_listener_, 0) != 0 ||
        getsockname(m_listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "cannot set up the silent listener";
        return;
    }
    m_port_ = ntohs(address.sin_port);
    for (int i = 0; i < kFillingConnections; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        const sockaddr_in target = Loopback(m_port_);
        connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target);
        m_fillers_.push_back(fd);
    }
}

SilentServer::~SilentServer()
{
    for (int fd : m_fillers_) close(fd);
    if (m_listener_ >= 0) close(m_listener_);
}

}  // namespace cli_test
