#include "host_name_check.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>

namespace Quillet::Cli {
namespace {

const size_t kLongestName = 253;
const size_t kLongestLabel = 63;

bool IsNameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.' || c == '_';
}

}  // namespace

std::string WithoutBrackets(const std::string& host)
{
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        return host.substr(1, host.size() - 2);
    }
    return host;
}

std::string HostNameProblem(const std::string& host)
{
    if (host.empty()) {
        return "is empty: give the CIM server's name or address (leave --host out to run in-band on this server)";
    }
    if (std::any_of(host.begin(), host.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); })) {
        return "contains blanks: give one name or address";
    }
    if (host.find("://") != std::string::npos) {
        return "is a URL: give the name alone, with --port N and --ssl for the rest";
    }
    if (host.front() == '-') {
        return "starts with '-': a name or address was expected, not an option";
    }
    const std::string bare = WithoutBrackets(host);
    if (bare.find(':') != std::string::npos) {
        in6_addr address{};
        if (bare.find(':') == bare.rfind(':') && bare != host) {
            return "is not an IPv6 address";
        }
        if (bare.find(':') == bare.rfind(':')) {
            return "holds a port: give the name alone and the port with --port N";
        }
        if (inet_pton(AF_INET6, bare.c_str(), &address) != 1) {
            return "is not an IPv6 address";
        }
        return std::string();
    }
    const auto bad = std::find_if(bare.begin(), bare.end(), [](char c) { return !IsNameCharacter(c); });
    if (bad != bare.end()) {
        return std::string("holds '") + *bad + "': names have letters, digits, '-', '.' and '_' only";
    }
    if (bare.size() > kLongestName || bare.front() == '.' || bare.find("..") != std::string::npos) {
        return "is not a valid name: it has an empty or too long part";
    }
    size_t start = 0;
    while (start <= bare.size()) {
        const size_t dot = std::min(bare.find('.', start), bare.size());
        if (dot - start > kLongestLabel) {
            return "is not a valid name: a part is longer than 63 characters";
        }
        start = dot + 1;
    }
    return std::string();
}

}  // namespace Quillet::Cli
