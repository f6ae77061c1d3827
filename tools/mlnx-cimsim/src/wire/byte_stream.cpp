#include "wire/byte_stream.h"

#include <openssl/err.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mlnx_cimsim {

namespace {

std::string tlsErrorText(const char* what, int sslError) {
    std::string text = std::string(what) + " failed (SSL error " + std::to_string(sslError);
    unsigned long queued = ERR_get_error();
    if (queued != 0) {
        char buffer[256];
        ERR_error_string_n(queued, buffer, sizeof buffer);
        text += ": ";
        text += buffer;
    }
    return text + ")";
}

}  // namespace

ByteStream::ByteStream(int fd, SSL* ssl) : fd_(fd), ssl_(ssl) {}

ByteStream::~ByteStream() {
    if (ssl_ != nullptr) {
        SSL_shutdown(ssl_);
        SSL_free(ssl_);
    }
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

size_t ByteStream::readSome(char* buffer, size_t capacity) {
    if (ssl_ != nullptr) {
        size_t got = 0;
        int rc = SSL_read_ex(ssl_, buffer, capacity, &got);
        if (rc == 1) {
            return got;
        }
        int error = SSL_get_error(ssl_, rc);
        if (error == SSL_ERROR_ZERO_RETURN) {
            return 0;
        }
        if (error == SSL_ERROR_SYSCALL && ERR_peek_error() == 0) {
            // The peer closed without close_notify: treat as end of stream.
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                throw StreamError("TLS read timed out");
            }
            return 0;
        }
        throw StreamError(tlsErrorText("TLS read", error));
    }
    for (;;) {
        ssize_t got = ::recv(fd_, buffer, capacity, 0);
        if (got >= 0) {
            return static_cast<size_t>(got);
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            throw StreamError("read timed out");
        }
        throw StreamError(std::string("read failed: ") + std::strerror(errno));
    }
}

void ByteStream::writeAll(const char* data, size_t size) {
    while (size > 0) {
        if (ssl_ != nullptr) {
            size_t written = 0;
            int rc = SSL_write_ex(ssl_, data, size, &written);
            if (rc != 1) {
                throw StreamError(tlsErrorText("TLS write", SSL_get_error(ssl_, rc)));
            }
            data += written;
            size -= written;
            continue;
        }
        ssize_t written = ::send(fd_, data, size, MSG_NOSIGNAL);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw StreamError(std::string("write failed: ") + std::strerror(errno));
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

void setSocketReadTimeout(int fd, std::chrono::milliseconds timeout) {
    timeval value{};
    value.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    value.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &value, sizeof value);
}

void ByteStream::shutdownWrite() {
    if (ssl_ != nullptr) {
        SSL_shutdown(ssl_);
    }
    ::shutdown(fd_, SHUT_WR);
}

}  // namespace mlnx_cimsim
