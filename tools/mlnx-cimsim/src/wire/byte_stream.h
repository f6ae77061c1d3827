#pragma once
// One connected socket, plain or TLS, read and written as a byte stream.

#include <openssl/ssl.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

namespace mlnx_cimsim {

// Raised for any failure of the transport below HTTP (reset, TLS alert, time-out).
class StreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// 0 disables the limit.
void setSocketReadTimeout(int fd, std::chrono::milliseconds timeout);

class ByteStream {
public:
    // Takes ownership of fd; ssl (when given) must already be bound to fd.
    explicit ByteStream(int fd, SSL* ssl = nullptr);
    ~ByteStream();
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;

    // Returns 0 at end of stream.
    size_t readSome(char* buffer, size_t capacity);
    void writeAll(const char* data, size_t size);
    void writeAll(const std::string& data) { writeAll(data.data(), data.size()); }

    void setReadTimeout(std::chrono::milliseconds timeout) { setSocketReadTimeout(fd_, timeout); }
    void shutdownWrite();
    int fd() const { return fd_; }
    bool isTls() const { return ssl_ != nullptr; }

private:
    int fd_;
    SSL* ssl_;
};

}  // namespace mlnx_cimsim
