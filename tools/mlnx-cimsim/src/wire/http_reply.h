#pragma once
// An HTTP response before framing, and its serialisation in OpenPegasus's style:
// Content-Length zero-padded to ten digits, or chunked with CIM status trailers.

#include <string>
#include <utility>
#include <vector>

namespace mlnx_cimsim {

struct HttpReply {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;  // besides the framing header
    size_t framingPosition = 1;  // the framing header follows this many of the headers
    std::string body;
    bool chunked = false;
    std::vector<std::pair<std::string, std::string>> trailers;  // chunked replies only
};

const char* reasonPhrase(int status);
// "0000012138": the width OpenPegasus uses.
std::string paddedLength(size_t length);
// Percent-encodes everything but letters, digits and "-_.~", as in CIM error trailers.
std::string percentEncoded(const std::string& text);

// The head including the blank line.
std::string serializeHead(const HttpReply& reply);
// What goes on the wire is prefix, body, suffix: the body is written as it is, without
// another copy, between the head (with the chunk size) and the chunk end with trailers.
std::string framedPrefix(const HttpReply& reply);
std::string framedSuffix(const HttpReply& reply);

}  // namespace mlnx_cimsim
