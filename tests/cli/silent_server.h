#pragma once
#include <cstdint>
#include <vector>

namespace cli_test {

// A loopback port that never answers a connection attempt, like a host that
// is down behind a firewall: a listener whose accept queue is full (it never
// accepts), so the kernel drops further SYNs and connect() hangs.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    uint16_t Port() const { return m_port_; }

private:
    int m_listener_ = -1;
    std::vector<int> m_fillers_;
    uint16_t m_port_ = 0;
};

}  // namespace cli_test
