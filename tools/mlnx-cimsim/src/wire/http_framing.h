#pragma once
// Reads HTTP/1.1 message heads and bodies (Content-Length or chunked with trailers)
// from a ByteStream; used by the server for requests and by the test client for responses.

#include "wire/byte_stream.h"
#include "wire/http_message.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace mlnx_cimsim {

class HttpFramingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class HttpMessageReader {
public:
    explicit HttpMessageReader(ByteStream& stream, size_t maxBodyBytes = 64 * 1024 * 1024)
        : stream_(stream), maxBodyBytes_(maxBodyBytes) {}

    // nullopt when the stream ends before the first byte of a message.
    std::optional<HttpHead> readHead();
    // Reads the body the head announces. Without a length or chunking it is empty,
    // unless untilEndWithoutLength (responses), then it runs to the end of the stream.
    std::string readBody(const HttpHead& head, bool untilEndWithoutLength, HeaderList* trailers = nullptr);

    // True while bytes of a started message were cut off by the end of the stream.
    bool truncated() const { return truncated_; }

private:
    bool fill();
    std::string readLine();
    std::string readExactly(size_t count);

    ByteStream& stream_;
    size_t maxBodyBytes_;
    std::string buffer_;
    size_t position_ = 0;
    bool truncated_ = false;
};

}  // namespace mlnx_cimsim
