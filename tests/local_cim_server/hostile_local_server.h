#pragma once
// A CIM server that a local user could run: it listens on a domain socket in a
// folder of its own, answers every request with 401 and a Local challenge naming
// whatever file it chooses, and keeps every byte it receives, so a test can show
// what a client gave away. It runs in a child process, as another user when asked.

#include <sys/types.h>

#include <optional>
#include <string>
#include <thread>

namespace local_cim_server_test {

class HostileLocalServer {
public:
    // `challengePath`: the file each challenge names. `runAs`: the user ID the server
    // runs as (root only can ask); this process's user when empty.
    explicit HostileLocalServer(const std::string& challengePath, std::optional<uid_t> runAs = std::nullopt);
    ~HostileLocalServer();
    HostileLocalServer(const HostileLocalServer&) = delete;
    HostileLocalServer& operator=(const HostileLocalServer&) = delete;

    const std::string& SocketPath() const { return m_socket_; }
    // Stops the server and returns every byte it received.
    std::string StopAndTakeReceived();

private:
    pid_t m_pid_ = -1;
    int m_received_fd_ = -1;
    std::string m_folder_;
    std::string m_socket_;
    std::string m_received_;
    std::thread m_reader_;
};

}  // namespace local_cim_server_test
