#pragma once
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace Quillet::Cli {

struct SimulatorSettings {
    std::string executable;     // path of mlnx-cimsim
    std::string fixture;        // empty: the simulator's bundled default
    bool providerStopped = false;
    bool https = false;
    std::string user;           // with passwordFile: the only accepted credentials
    std::string passwordFile;
    bool echoOutput = false;    // copy the simulator's own output to our stderr
};

// The simulated CIM server as a child process on a free loopback port. The
// constructor returns once the server listens (it prints "listening on URL");
// the destructor stops it. Should this process die without running the
// destructor, the kernel stops the child too.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const SimulatorSettings& settings);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    const std::string& Url() const { return m_url_; }
    uint16_t Port() const { return m_port_; }

private:
    void Start(const std::vector<std::string>& arguments);
    void AwaitListening(const std::string& executable);
    void Stop();
    void DrainOutput(bool echo);

    pid_t m_pid_ = -1;
    int m_output_fd_ = -1;
    std::string m_url_;
    uint16_t m_port_ = 0;
    std::atomic<bool> m_stopping_{false};
    std::thread m_drain_;
};

}  // namespace Quillet::Cli
