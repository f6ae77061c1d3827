#include "server/basic_auth.h"

#include <openssl/evp.h>

#include <vector>

namespace mlnx_cimsim {

namespace {

std::string decodeBase64(const std::string& text) {
    if (text.empty() || text.size() % 4 != 0) {
        return "";
    }
    std::vector<unsigned char> out(text.size() / 4 * 3 + 1);
    int length = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                 static_cast<int>(text.size()));
    if (length < 0) {
        return "";
    }
    // EVP_DecodeBlock counts the padding as data bytes.
    size_t padding = 0;
    for (size_t i = text.size(); i > 0 && text[i - 1] == '='; --i) {
        ++padding;
    }
    return std::string(reinterpret_cast<char*>(out.data()), static_cast<size_t>(length) - padding);
}

}  // namespace

bool isAuthorized(const HttpRequest& request, const Credentials& credentials) {
    auto header = request.headers.find("Authorization");
    if (!header) {
        return false;
    }
    std::string value = trimBlanks(*header);
    if (value.size() < 6 || !equalsIgnoreCase(value.substr(0, 6), "Basic ")) {
        return false;
    }
    std::string pair = decodeBase64(trimBlanks(value.substr(6)));
    return pair == credentials.user + ":" + credentials.password;
}

HttpReply unauthorizedReply(const HttpRequest& request, const std::string& realm) {
    HttpReply reply;
    reply.status = 401;
    if (!request.headers.has("Authorization")) {
        reply.headers.emplace_back("PGErrorDetail", "User%20Unauthorized");
    }
    reply.headers.emplace_back("WWW-Authenticate", "Basic realm=\"" + realm + "\"");
    reply.framingPosition = reply.headers.size() - 1;
    return reply;
}

}  // namespace mlnx_cimsim
