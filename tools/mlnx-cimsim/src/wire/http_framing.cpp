#include "wire/http_framing.h"

#include <cstdlib>

namespace mlnx_cimsim {

namespace {

constexpr size_t kMaxHeadBytes = 64 * 1024;

size_t parseLength(const std::string& text, int base, const char* what) {
    std::string digits = trimBlanks(text.substr(0, text.find(';')));
    if (digits.empty()) {
        throw HttpFramingError(std::string("empty ") + what);
    }
    char* end = nullptr;
    unsigned long long value = std::strtoull(digits.c_str(), &end, base);
    if (end == nullptr || *end != '\0') {
        throw HttpFramingError(std::string("invalid ") + what + " \"" + digits + "\"");
    }
    return static_cast<size_t>(value);
}

}  // namespace

bool HttpMessageReader::fill() {
    if (position_ > 0 && position_ == buffer_.size()) {
        buffer_.clear();
        position_ = 0;
    }
    char chunk[16384];
    size_t got = stream_.readSome(chunk, sizeof chunk);
    if (got == 0) {
        return false;
    }
    buffer_.append(chunk, got);
    return true;
}

std::string HttpMessageReader::readLine() {
    for (;;) {
        size_t newline = buffer_.find('\n', position_);
        if (newline != std::string::npos) {
            std::string line = buffer_.substr(position_, newline - position_);
            position_ = newline + 1;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return line;
        }
        if (buffer_.size() - position_ > kMaxHeadBytes) {
            throw HttpFramingError("header line longer than " + std::to_string(kMaxHeadBytes) + " bytes");
        }
        if (!fill()) {
            truncated_ = true;
            throw HttpFramingError("stream ended inside a header line");
        }
    }
}

std::string HttpMessageReader::readExactly(size_t count) {
    while (buffer_.size() - position_ < count) {
        if (!fill()) {
            truncated_ = true;
            throw HttpFramingError("stream ended after " + std::to_string(buffer_.size() - position_) + " of " +
                                   std::to_string(count) + " body bytes");
        }
    }
    std::string data = buffer_.substr(position_, count);
    position_ += count;
    return data;
}

std::optional<HttpHead> HttpMessageReader::readHead() {
    truncated_ = false;
    if (position_ == buffer_.size() && !fill()) {
        return std::nullopt;
    }
    HttpHead head;
    head.startLine = readLine();
    for (;;) {
        std::string line = readLine();
        if (line.empty()) {
            break;
        }
        size_t colon = line.find(':');
        if (colon == std::string::npos) {
            throw HttpFramingError("header line without colon: \"" + line + "\"");
        }
        head.headers.add(trimBlanks(line.substr(0, colon)), trimBlanks(line.substr(colon + 1)));
    }
    return head;
}

std::string HttpMessageReader::readBody(const HttpHead& head, bool untilEndWithoutLength, HeaderList* trailers) {
    auto encoding = head.headers.find("Transfer-Encoding");
    if (encoding && headerHasToken(*encoding, "chunked")) {
        std::string body;
        for (;;) {
            size_t size = parseLength(readLine(), 16, "chunk size");
            if (size == 0) {
                break;
            }
            if (body.size() + size > maxBodyBytes_) {
                throw HttpFramingError("chunked body exceeds " + std::to_string(maxBodyBytes_) + " bytes");
            }
            body += readExactly(size);
            if (!readLine().empty()) {
                throw HttpFramingError("chunk data not followed by CRLF");
            }
        }
        for (;;) {
            std::string line = readLine();
            if (line.empty()) {
                break;
            }
            size_t colon = line.find(':');
            if (trailers != nullptr && colon != std::string::npos) {
                trailers->add(trimBlanks(line.substr(0, colon)), trimBlanks(line.substr(colon + 1)));
            }
        }
        return body;
    }
    auto length = head.headers.find("Content-Length");
    if (length) {
        size_t size = parseLength(*length, 10, "Content-Length");
        if (size > maxBodyBytes_) {
            throw HttpFramingError("Content-Length " + std::to_string(size) + " exceeds " +
                                   std::to_string(maxBodyBytes_) + " bytes");
        }
        return readExactly(size);
    }
    if (!untilEndWithoutLength) {
        return "";
    }
    std::string body = buffer_.substr(position_);
    position_ = buffer_.size();
    char chunk[16384];
    for (size_t got; (got = stream_.readSome(chunk, sizeof chunk)) > 0;) {
        body.append(chunk, got);
    }
    return body;
}

}  // namespace mlnx_cimsim
