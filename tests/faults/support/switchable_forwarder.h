#pragma once
// A loopback port whose connections are relayed to a back end the test can
// switch, so that one address the module was given first answers in one way
// (plain HTTP, say) and then in another (TLS) without the module changing.
// A connection is joined to the back end of the moment its first bytes
// arrive: one the client opened in advance (the client library connects
// before its first request) goes where the forwarder points when it is used.

#include <atomic>
#include <cstdint>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace fault_tests {

class SwitchableForwarder {
public:
    // Listens on 127.0.0.1 at a free port; throws std::runtime_error when it cannot.
    explicit SwitchableForwarder(uint16_t backendPort);
    ~SwitchableForwarder();
    SwitchableForwarder(const SwitchableForwarder&) = delete;
    SwitchableForwarder& operator=(const SwitchableForwarder&) = delete;

    uint16_t Port() const { return m_port_; }
    // Connections that have not sent anything yet go to this back end.
    void SwitchTo(uint16_t backendPort) { m_backend_port_.store(backendPort); }
    // Closes the listening socket, so that connecting is refused, and opens it
    // again on the same port. Relayed connections stay open.
    void StopListening();
    void ResumeListening();

private:
    void Listen(uint16_t port);
    void Relay();
    // Hands a command to the relay thread, which owns the listening socket,
    // and waits until it has been carried out.
    void Command(char command);

    std::mutex m_lock_;
    std::condition_variable m_done_;
    unsigned m_commands_done_ = 0;
    int m_listener_ = -1;
    int m_wake_read_ = -1;
    int m_wake_write_ = -1;
    uint16_t m_port_ = 0;
    std::atomic<uint16_t> m_backend_port_;
    std::thread m_thread_;
};

}  // namespace fault_tests
