#include "hostile_local_server.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace local_cim_server_test {
namespace {

void writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written <= 0) {
            return;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

// One connection: each request (head up to the blank line, then Content-Length
// bytes of body) is copied to `sink` and answered with `reply`.
void serveConnection(int fd, int sink, const std::string& reply)
{
    std::string pending;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        writeAll(sink, buffer, static_cast<size_t>(got));
        pending.append(buffer, static_cast<size_t>(got));
        for (;;) {
            const size_t headEnd = pending.find("\r\n\r\n");
            if (headEnd == std::string::npos) {
                break;
            }
            size_t bodyLength = 0;
            const size_t field = pending.find("Content-Length:");
            if (field != std::string::npos && field < headEnd) {
                bodyLength = std::strtoul(pending.c_str() + field + 15, nullptr, 10);
            }
            if (pending.size() < headEnd + 4 + bodyLength) {
                break;
            }
            pending.erase(0, headEnd + 4 + bodyLength);
            writeAll(fd, reply.data(), reply.size());
        }
    }
}

[[noreturn]] void runServer(const std::string& socketPath, int sink, int ready, const std::string& reply,
                            std::optional<uid_t> runAs)
{
    if (runAs && (::setgroups(0, nullptr) != 0 || ::setgid(*runAs) != 0 || ::setuid(*runAs) != 0)) {
        ::_exit(3);
    }
    // The kernel records the listener's credentials when it listens: after setuid.
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 8) != 0) {
        ::_exit(4);
    }
    // Its own process group, so that stopping it ends the connections it serves too.
    ::setpgid(0, 0);
    ::signal(SIGCHLD, SIG_IGN);
    writeAll(ready, "r", 1);
    ::close(ready);
    // Each connection in a process of its own: the module keeps its connection open
    // while the framework's CIM-server manager opens another.
    for (;;) {
        const int connection = ::accept(listener, nullptr, nullptr);
        if (connection < 0) {
            continue;
        }
        if (::fork() == 0) {
            ::close(listener);
            serveConnection(connection, sink, reply);
            ::_exit(0);
        }
        ::close(connection);
    }
}

}  // namespace

HostileLocalServer::HostileLocalServer(const std::string& challengePath, std::optional<uid_t> runAs)
{
    char folder[] = "/tmp/hostile-cim-server-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        throw std::runtime_error(std::string("HostileLocalServer: mkdtemp failed: ") + std::strerror(errno));
    }
    m_folder_ = folder;
    // Another user must be able to make its socket here.
    ::chmod(folder, runAs ? 0777 : 0700);
    m_socket_ = m_folder_ + "/cimxml.socket";
    const std::string reply = "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Local \"" + challengePath +
                              "\"\r\nContent-Length: 0\r\n\r\n";
    int received[2];
    int ready[2];
    if (::pipe2(received, O_CLOEXEC) != 0 || ::pipe2(ready, O_CLOEXEC) != 0) {
        throw std::runtime_error("HostileLocalServer: pipe failed");
    }
    m_pid_ = ::fork();
    if (m_pid_ == 0) {
        ::close(received[0]);
        ::close(ready[0]);
        runServer(m_socket_, received[1], ready[1], reply, runAs);
    }
    ::close(received[1]);
    ::close(ready[1]);
    m_received_fd_ = received[0];
    m_reader_ = std::thread([this] {
        char buffer[4096];
        ssize_t got;
        while ((got = ::read(m_received_fd_, buffer, sizeof buffer)) > 0) {
            m_received_.append(buffer, static_cast<size_t>(got));
        }
    });
    char signal = 0;
    const bool up = ::read(ready[0], &signal, 1) == 1;
    ::close(ready[0]);
    if (!up) {
        StopAndTakeReceived();
        throw std::runtime_error("HostileLocalServer: the server did not come up at " + m_socket_);
    }
}

std::string HostileLocalServer::StopAndTakeReceived()
{
    if (m_pid_ > 0) {
        ::kill(-m_pid_, SIGKILL);
        ::kill(m_pid_, SIGKILL);
        ::waitpid(m_pid_, nullptr, 0);
        m_pid_ = -1;
    }
    if (m_reader_.joinable()) {
        m_reader_.join();
        ::close(m_received_fd_);
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_folder_, ignored);
    return m_received_;
}

HostileLocalServer::~HostileLocalServer() { StopAndTakeReceived(); }

}  // namespace local_cim_server_test
