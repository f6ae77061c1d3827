#ifndef Pegasus_Client_Transport_TcpConnector_h
#define Pegasus_Client_Transport_TcpConnector_h

#include <chrono>
#include <cstdint>
#include <string>

namespace Pegasus {
namespace ClientDetail {

// Owns one socket descriptor.
class UniqueSocket
{
public:
    UniqueSocket() = default;
    explicit UniqueSocket(int fd) : _fd(fd) {}
    UniqueSocket(UniqueSocket&& other) noexcept : _fd(other.release()) {}
    UniqueSocket& operator=(UniqueSocket&& other) noexcept;
    UniqueSocket(const UniqueSocket&) = delete;
    UniqueSocket& operator=(const UniqueSocket&) = delete;
    ~UniqueSocket();

    int get() const { return _fd; }
    bool valid() const { return _fd >= 0; }
    int release();

private:
    int _fd = -1;
};

struct TcpConnection
{
    UniqueSocket socket;
    int family = 0;  // AF_INET, AF_INET6 or AF_UNIX
};

// Resolves `host` and connects to the first address that accepts within
// `timeout`. Raises CannotConnectException naming host:port and the cause.
TcpConnection connectTcp(const std::string& host, std::uint32_t port,
                         std::chrono::milliseconds timeout);

// Connects to the local domain socket at `path`. Raises
// CannotConnectException naming the path and the cause.
TcpConnection connectUnix(const std::string& path, std::chrono::milliseconds timeout);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
