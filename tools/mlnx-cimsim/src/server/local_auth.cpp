#include "server/local_auth.h"

#include <fcntl.h>
#include <openssl/rand.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace mlnx_cimsim {

namespace {

constexpr const char* kLocalPrefix = "Local";

std::string ownUserName() {
    const passwd* entry = ::getpwuid(::geteuid());
    if (entry == nullptr || entry->pw_name == nullptr) {
        throw std::runtime_error("the user this simulator runs as has no name");
    }
    return entry->pw_name;
}

std::string randomSecret() {
    unsigned char bytes[16];
    if (RAND_bytes(bytes, sizeof bytes) != 1) {
        throw std::runtime_error("no random bytes for a Local challenge");
    }
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

void writePrivateFile(const std::string& path, const std::string& text) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0400);
    if (fd < 0) {
        throw std::runtime_error("cannot create the challenge file " + path + ": " + std::strerror(errno));
    }
    ssize_t written = ::write(fd, text.data(), text.size());
    ::close(fd);
    if (written != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("cannot write the challenge file " + path);
    }
}

// The text between the quotes of `Local "..."`, or nothing for another scheme.
std::optional<std::string> localCredentials(const std::string& field) {
    std::string value = trimBlanks(field);
    if (value.compare(0, 5, kLocalPrefix) != 0) {
        return std::nullopt;
    }
    size_t open = value.find('"');
    size_t close = value.rfind('"');
    if (open == std::string::npos || close == open) {
        return std::nullopt;
    }
    return value.substr(open + 1, close - open - 1);
}

}  // namespace

HttpReply unauthorizedWithoutChallenge() {
    HttpReply reply;
    reply.status = 401;
    reply.headers.emplace_back("PGErrorDetail", "User%20Unauthorized");
    reply.framingPosition = reply.headers.size();
    return reply;
}

LocalChallenges::LocalChallenges() : user_(ownUserName()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/mlnx-cimsim-local-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a folder for Local challenges: " + std::string(std::strerror(errno)));
    }
    folder_ = pattern;
}

LocalChallenges::~LocalChallenges() { removeFolder(); }

void LocalChallenges::removeFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool LocalChallenges::carriesLocal(const HttpRequest& request) {
    auto field = request.headers.find("PegasusAuthorization");
    return field && localCredentials(*field);
}

void LocalChallenges::forget(LocalSession& session) {
    if (!session.challengePath.empty()) {
        ::unlink(session.challengePath.c_str());
    }
    session.challengePath.clear();
    session.secret.clear();
}

HttpReply LocalChallenges::challenge(LocalSession& session) {
    forget(session);
    uint64_t number;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        number = nextFile_++;
    }
    session.challengePath = folder_ + "/cimclient_" + user_ + "_" + std::to_string(number);
    session.secret = randomSecret();
    ChallengeFault fault = fault_;
    writePrivateFile(session.challengePath, fault == ChallengeFault::wrongSecret ? randomSecret() : session.secret);
    if (fault == ChallengeFault::missingFile) {
        ::unlink(session.challengePath.c_str());
    }
    ++issued_;
    HttpReply reply;
    reply.status = 401;
    reply.headers.emplace_back("WWW-Authenticate", "Local \"" + session.challengePath + "\"");
    reply.framingPosition = reply.headers.size();
    return reply;
}

std::optional<HttpReply> LocalChallenges::check(const HttpRequest& request, LocalSession& session) {
    auto field = request.headers.find("PegasusAuthorization");
    std::optional<std::string> credentials = field ? localCredentials(*field) : std::nullopt;
    if (session.authenticated) {
        // The connection stays authenticated, as OpenPegasus's does, unless
        // another user turns up on it.
        if (!credentials || credentials->substr(0, credentials->find(':')) == user_) {
            return std::nullopt;
        }
        session.authenticated = false;
    }
    if (!credentials) {
        return unauthorizedWithoutChallenge();
    }
    size_t colon = credentials->find(':');
    std::string user = credentials->substr(0, colon);
    if (user != user_) {
        forget(session);
        return unauthorizedWithoutChallenge();
    }
    if (colon == std::string::npos) {
        return challenge(session);
    }
    size_t second = credentials->find(':', colon + 1);
    std::string path = second == std::string::npos ? "" : credentials->substr(colon + 1, second - colon - 1);
    std::string secret = second == std::string::npos ? "" : credentials->substr(second + 1);
    bool proven = !session.challengePath.empty() && path == session.challengePath && secret == session.secret;
    // A challenge is good for one answer, right or wrong.
    forget(session);
    if (!proven) {
        return unauthorizedWithoutChallenge();
    }
    session.authenticated = true;
    return std::nullopt;
}

}  // namespace mlnx_cimsim
