#include "wire/http_reply.h"

#include <cctype>
#include <cstdio>

namespace mlnx_cimsim {

const char* reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 413:
            return "Request Entity Too Large";
        case 500:
            return "Internal Server Error";
        case 501:
            return "Not Implemented";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

std::string paddedLength(size_t length) {
    char text[32];
    std::snprintf(text, sizeof text, "%010zu", length);
    return text;
}

std::string percentEncoded(const std::string& text) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0f];
        }
    }
    return out;
}

std::string serializeHead(const HttpReply& reply) {
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reasonPhrase(reply.status) + "\r\n";
    std::string framing = reply.chunked ? "transfer-encoding: chunked\r\n"
                                        : "content-length: " + paddedLength(reply.body.size()) + "\r\n";
    for (size_t i = 0; i < reply.headers.size(); ++i) {
        if (i == reply.framingPosition) {
            head += framing;
        }
        head += reply.headers[i].first + ": " + reply.headers[i].second + "\r\n";
    }
    if (reply.framingPosition >= reply.headers.size()) {
        head += framing;
    }
    if (reply.chunked) {
        head += "Trailer: CIMStatusCode, CIMStatusCodeDescription, Content-Language\r\n";
    }
    return head + "\r\n";
}

std::string framedPrefix(const HttpReply& reply) {
    std::string prefix = serializeHead(reply);
    if (reply.chunked && !reply.body.empty()) {
        char size[24];
        std::snprintf(size, sizeof size, "%zx\r\n", reply.body.size());
        prefix += size;
    }
    return prefix;
}

std::string framedSuffix(const HttpReply& reply) {
    if (!reply.chunked) {
        return "";
    }
    std::string suffix = reply.body.empty() ? "0\r\n" : "\r\n0\r\n";
    for (const auto& trailer : reply.trailers) {
        suffix += trailer.first + ": " + trailer.second + "\r\n";
    }
    return suffix + "\r\n";
}

}  // namespace mlnx_cimsim
