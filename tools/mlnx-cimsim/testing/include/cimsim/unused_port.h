#pragma once
// A loopback port with no server behind it, for tests of a server that is down.

#include <cstdint>

namespace mlnx_cimsim::testing {

// Binds a socket to port 0 on 127.0.0.1, reads the port the system chose and
// closes the socket again. Throws std::runtime_error when no port can be had.
uint16_t unusedLoopbackPort();

}  // namespace mlnx_cimsim::testing
