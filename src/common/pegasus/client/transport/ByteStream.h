#ifndef Pegasus_Client_Transport_ByteStream_h
#define Pegasus_Client_Transport_ByteStream_h

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace Pegasus {
namespace ClientDetail {

using Deadline = std::chrono::steady_clock::time_point;

// Milliseconds left until `deadline`, never negative.
long long millisecondsLeft(Deadline deadline);

// A read or write that could not finish: the deadline passed, or the
// connection failed (reset, broken TLS record, ...). `detail` says why.
class StreamError : public std::runtime_error
{
public:
    enum class Kind
    {
        timedOut,
        failed,
    };
    StreamError(Kind kind, const std::string& detail) : std::runtime_error(detail), _kind(kind) {}
    Kind kind() const { return _kind; }

private:
    Kind _kind;
};

// The bytes of one open connection (a socket, or TLS over one), whatever
// the platform. The HTTP layer reads and writes through this alone.
class ByteStream
{
public:
    virtual ~ByteStream() = default;

    // Up to `size` bytes, waiting until `deadline` for the first; 0 when
    // the peer closed the connection. Throws StreamError.
    virtual std::size_t readSome(char* data, std::size_t size, Deadline deadline) = 0;
    // All `size` bytes, or throws StreamError.
    virtual void writeAll(const char* data, std::size_t size, Deadline deadline) = 0;
    // True when the peer has closed the connection or sent something while
    // no request was outstanding: either way it cannot carry the next one.
    virtual bool peerClosedOrSpoke() = 0;
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
