#ifndef Pegasus_Client_Transport_WinTcpProbe_h
#define Pegasus_Client_Transport_WinTcpProbe_h

#include <chrono>
#include <cstdint>
#include <string>

namespace Pegasus {
namespace ClientDetail {

// Connects to host:port within `timeout` and closes the connection again.
// WinHTTP opens its connections only when a request goes out; this lets
// open() fail at once on a server that cannot be reached. Raises
// CannotConnectException naming host:port and the cause.
void probeTcp(const std::string& host, std::uint32_t port, std::chrono::milliseconds timeout);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
