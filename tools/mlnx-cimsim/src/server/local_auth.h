#pragma once
// OpenPegasus's "Local" authentication, as its server asks for it over the domain
// socket and over loopback TCP alike: a request names its user in
// `PegasusAuthorization: Local "USER"`; the server writes a secret into a file that
// only USER can read and answers 401 with `WWW-Authenticate: Local "PATH"`; the client
// proves the user with `Local "USER:PATH:SECRET"`, after which the connection is
// authenticated. Each file is made fresh for one challenge (mode 0400, a unique name)
// and removed once answered or after kChallengeLifetime. Run as root, the simulator
// serves every user of this host (the file is given to the user named in the
// request); otherwise it serves only the user it runs as.

#include "wire/http_message.h"
#include "wire/http_reply.h"

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace mlnx_cimsim {

// What a test can make the challenge go through.
enum class ChallengeFault {
    none,
    wrongSecret,  // the file holds another text than the secret checked
    missingFile,  // the file named in the challenge is removed before the answer
};

// Authentication state of one connection.
struct LocalSession {
    bool authenticated = false;
    std::string user;
    std::string challengePath;
    std::string secret;
};

class LocalChallenges {
public:
    // Challenge files go into `folder` (the folder the clients expect, e.g. /var/tmp for
    // OpenPegasus built from source), or, when it is empty, into a private folder of
    // the simulator's own (mode 0700 under $TMPDIR or /tmp) that goes with it.
    explicit LocalChallenges(const std::string& folder = "");
    ~LocalChallenges();
    LocalChallenges(const LocalChallenges&) = delete;
    LocalChallenges& operator=(const LocalChallenges&) = delete;

    // Handles the request's PegasusAuthorization field. Returns nothing when the request
    // may go on (the session is authenticated), or the 401 to send.
    std::optional<HttpReply> check(const HttpRequest& request, LocalSession& session);
    static bool carriesLocal(const HttpRequest& request);

    // Removes the challenge files still outstanding, and the folder when it is the
    // simulator's own; called at exit too.
    void removeFiles();
    const std::string& folder() const { return folder_; }
    const std::string& userName() const { return user_; }

    void setFault(ChallengeFault fault) { fault_ = fault; }
    ChallengeFault fault() const { return fault_; }
    uint64_t challengesIssued() const { return issued_; }

    // How long an unanswered challenge file is kept.
    static constexpr std::chrono::seconds kChallengeLifetime{30};

private:
    std::optional<HttpReply> challenge(LocalSession& session, const std::string& user);
    void forget(LocalSession& session);
    void removeExpired();
    bool serves(const std::string& user) const;

    std::string folder_;
    std::string user_;
    bool ownFolder_ = false;
    bool asRoot_ = false;
    std::atomic<ChallengeFault> fault_{ChallengeFault::none};
    std::atomic<uint64_t> issued_{0};
    std::mutex mutex_;
    uint64_t nextFile_ = 1;
    std::map<std::string, std::chrono::steady_clock::time_point> outstanding_;
};

// 401 with no challenge, for requests whose user cannot be authenticated.
HttpReply unauthorizedWithoutChallenge();

}  // namespace mlnx_cimsim
