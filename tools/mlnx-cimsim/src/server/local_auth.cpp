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
#include <vector>

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

struct Account {
    uid_t uid = 0;
    gid_t gid = 0;
};

std::optional<Account> accountOf(const std::string& user) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (user.empty() || ::getpwnam_r(user.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr) {
        return std::nullopt;
    }
    return Account{found->pw_uid, found->pw_gid};
}

// Created fresh (never through an existing name), readable by its owner alone.
void writeChallengeFile(const std::string& path, const std::string& text, const std::optional<Account>& owner) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0400);
    if (fd < 0) {
        throw std::runtime_error("cannot create the challenge file " + path + ": " + std::strerror(errno));
    }
    bool ok = !owner || ::fchown(fd, owner->uid, owner->gid) == 0;
    ok = ok && ::fchmod(fd, 0400) == 0;
    ok = ok && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const int error = errno;
    ::close(fd);
    if (!ok) {
        ::unlink(path.c_str());
        throw std::runtime_error("cannot write the challenge file " + path + ": " + std::strerror(error));
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

LocalChallenges::LocalChallenges(const std::string& folder)
    : folder_(folder), user_(ownUserName()), asRoot_(::geteuid() == 0) {
    if (!folder_.empty()) {
        return;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/mlnx-cimsim-local-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a folder for Local challenges: " + std::string(std::strerror(errno)));
    }
    folder_ = pattern;
    ownFolder_ = true;
}

LocalChallenges::~LocalChallenges() { removeFiles(); }

void LocalChallenges::removeFiles() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& file : outstanding_) {
            ::unlink(file.first.c_str());
        }
        outstanding_.clear();
    }
    if (ownFolder_) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

void LocalChallenges::removeExpired() {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto file = outstanding_.begin(); file != outstanding_.end();) {
        if (now - file->second > kChallengeLifetime) {
            ::unlink(file->first.c_str());
            file = outstanding_.erase(file);
        } else {
            ++file;
        }
    }
}

bool LocalChallenges::serves(const std::string& user) const {
    return user == user_ || (asRoot_ && accountOf(user));
}

bool LocalChallenges::carriesLocal(const HttpRequest& request) {
    auto field = request.headers.find("PegasusAuthorization");
    return field && localCredentials(*field);
}

void LocalChallenges::forget(LocalSession& session) {
    if (!session.challengePath.empty()) {
        ::unlink(session.challengePath.c_str());
        std::lock_guard<std::mutex> lock(mutex_);
        outstanding_.erase(session.challengePath);
    }
    session.challengePath.clear();
    session.secret.clear();
}

std::optional<HttpReply> LocalChallenges::challenge(LocalSession& session, const std::string& user) {
    forget(session);
    removeExpired();
    session.user = user;
    std::optional<Account> owner;
    if (asRoot_ && user != user_) {
        owner = accountOf(user);
        if (!owner) {
            return unauthorizedWithoutChallenge();
        }
    }
    uint64_t number;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        number = nextFile_++;
    }
    // OpenPegasus's server names its files cimclient_USER_...; a random part keeps
    // the name from being guessed ahead.
    session.challengePath = folder_ + "/cimclient_" + user + "_" + std::to_string(number) + "_" +
                            randomSecret().substr(0, 12);
    session.secret = randomSecret();
    ChallengeFault fault = fault_;
    writeChallengeFile(session.challengePath, fault == ChallengeFault::wrongSecret ? randomSecret() : session.secret,
                       owner);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        outstanding_[session.challengePath] = std::chrono::steady_clock::now();
    }
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
        if (!credentials || credentials->substr(0, credentials->find(':')) == session.user) {
            return std::nullopt;
        }
        session.authenticated = false;
    }
    if (!credentials) {
        return unauthorizedWithoutChallenge();
    }
    size_t colon = credentials->find(':');
    std::string user = credentials->substr(0, colon);
    if (!serves(user)) {
        forget(session);
        return unauthorizedWithoutChallenge();
    }
    if (colon == std::string::npos) {
        return challenge(session, user);
    }
    size_t second = credentials->find(':', colon + 1);
    std::string path = second == std::string::npos ? "" : credentials->substr(colon + 1, second - colon - 1);
    std::string secret = second == std::string::npos ? "" : credentials->substr(second + 1);
    bool proven = !session.challengePath.empty() && path == session.challengePath && secret == session.secret &&
                  user == session.user;
    // A challenge is good for one answer, right or wrong.
    forget(session);
    if (!proven) {
        return unauthorizedWithoutChallenge();
    }
    session.authenticated = true;
    return std::nullopt;
}

}  // namespace mlnx_cimsim
