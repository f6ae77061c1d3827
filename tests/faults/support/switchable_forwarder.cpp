#include "switchable_forwarder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace fault_tests {
namespace {

sockaddr_in Loopback(uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

[[noreturn]] void Fail(const std::string& what)
{
    throw std::runtime_error("SwitchableForwarder: " + what + ": " + std::strerror(errno));
}

int ConnectTo(uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(port);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        return fd;
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return -1;
}

// Writes everything or gives up when the peer has gone.
bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::send(fd, data, size, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

struct Relayed {
    int client;
    int backend;
};

}  // namespace

SwitchableForwarder::SwitchableForwarder(uint16_t backendPort) : m_backend_port_(backendPort)
{
    Listen(0);
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC) != 0) {
        ::close(m_listener_);
        Fail("pipe");
    }
    m_wake_read_ = wake[0];
    m_wake_write_ = wake[1];
    m_thread_ = std::thread([this] { Relay(); });
}

SwitchableForwarder::~SwitchableForwarder()
{
    const char quit = 'q';
    (void)!::write(m_wake_write_, &quit, 1);
    m_thread_.join();
    ::close(m_wake_read_);
    ::close(m_wake_write_);
    if (m_listener_ >= 0) {
        ::close(m_listener_);
    }
}

void SwitchableForwarder::Listen(uint16_t port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        Fail("socket");
    }
    const int reuse = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address = Loopback(port);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 16) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener);
        Fail("listen on 127.0.0.1:" + std::to_string(port));
    }
    m_listener_ = listener;
    m_port_ = ntohs(address.sin_port);
}

void SwitchableForwarder::StopListening()
{
    Command('s');
}

void SwitchableForwarder::ResumeListening()
{
    Command('r');
}

void SwitchableForwarder::Command(char command)
{
    std::unique_lock<std::mutex> lock(m_lock_);
    const unsigned target = m_commands_done_ + 1;
    (void)!::write(m_wake_write_, &command, 1);
    m_done_.wait(lock, [&] { return m_commands_done_ >= target; });
}

void SwitchableForwarder::Relay()
{
    std::vector<Relayed> open;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const int listener = m_listener_;
        std::vector<pollfd> watched{{m_wake_read_, POLLIN, 0}, {listener, POLLIN, 0}};
        for (const Relayed& pair : open) {
            watched.push_back({pair.client, POLLIN, 0});
            watched.push_back({pair.backend, POLLIN, 0});
        }
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (watched[0].revents != 0) {
            char command = 'q';
            (void)!::read(m_wake_read_, &command, 1);
            if (command == 'q') {
                break;
            }
            if (command == 's' && m_listener_ >= 0) {
                ::close(m_listener_);
                m_listener_ = -1;
            } else if (command == 'r' && m_listener_ < 0) {
                Listen(m_port_);
            }
            std::lock_guard<std::mutex> guard(m_lock_);
            ++m_commands_done_;
            m_done_.notify_all();
            continue;
        }
        // Pairs are checked in the order they were watched; a finished pair is
        // closed after the loop, and new ones accepted, so the indexes stay valid.
        std::vector<bool> finished(open.size(), false);
        for (size_t i = 0; i < open.size(); ++i) {
            const pollfd& fromClient = watched[2 + 2 * i];
            const pollfd& fromBackend = watched[3 + 2 * i];
            for (const pollfd* side : {&fromClient, &fromBackend}) {
                if (finished[i] || side->revents == 0) {
                    continue;
                }
                if (side == &fromClient && open[i].backend < 0) {
                    // First bytes: join the back end of this moment; when it
                    // is down the client sees its connection closed.
                    open[i].backend = ConnectTo(m_backend_port_.load());
                    if (open[i].backend < 0) {
                        finished[i] = true;
                        continue;
                    }
                }
                const int peer = side == &fromClient ? open[i].backend : open[i].client;
                const ssize_t received = ::recv(side->fd, buffer.data(), buffer.size(), 0);
                if (received <= 0 || !WriteAll(peer, buffer.data(), static_cast<size_t>(received))) {
                    finished[i] = true;
                }
            }
        }
        for (size_t i = open.size(); i-- > 0;) {
            if (finished[i]) {
                ::close(open[i].client);
                if (open[i].backend >= 0) {
                    ::close(open[i].backend);
                }
                open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
        if (listener >= 0 && (watched[1].revents & POLLIN)) {
            const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                open.push_back({client, -1});
            }
        }
    }
    for (const Relayed& pair : open) {
        ::close(pair.client);
        if (pair.backend >= 0) {
            ::close(pair.backend);
        }
    }
}

}  // namespace fault_tests
