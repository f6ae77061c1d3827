#pragma once
// OpenPegasus's "Local" authentication, as its server asks for it over the domain
// socket and over loopback TCP alike: a request names its user in
// `PegasusAuthorization: Local "USER"`; the server writes a secret into a file that
// only USER can read and answers 401 with `WWW-Authenticate: Local "PATH"`; the client
// proves the user with `Local "USER:PATH:SECRET"`, after which the connection is
// authenticated. The simulator cannot change a file's owner, so it knows one user:
// the one it runs as.

#include "wire/http_message.h"
#include "wire/http_reply.h"

#include <atomic>
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
    std::string challengePath;
    std::string secret;
};

class LocalChallenges {
public:
    // Makes the private folder of the challenge files (mode 0700 under $TMPDIR or /tmp).
    LocalChallenges();
    ~LocalChallenges();
    LocalChallenges(const LocalChallenges&) = delete;
    LocalChallenges& operator=(const LocalChallenges&) = delete;

    // Handles the request's PegasusAuthorization field. Returns nothing when the request
    // may go on (the session is authenticated), or the 401 to send.
    std::optional<HttpReply> check(const HttpRequest& request, LocalSession& session);
    static bool carriesLocal(const HttpRequest& request);

    // Removes the folder and what is left in it; called at exit too.
    void removeFolder();
    const std::string& folder() const { return folder_; }
    const std::string& userName() const { return user_; }

    void setFault(ChallengeFault fault) { fault_ = fault; }
    ChallengeFault fault() const { return fault_; }
    uint64_t challengesIssued() const { return issued_; }

private:
    HttpReply challenge(LocalSession& session);
    static void forget(LocalSession& session);

    std::string folder_;
    std::string user_;
    std::atomic<ChallengeFault> fault_{ChallengeFault::none};
    std::atomic<uint64_t> issued_{0};
    std::mutex mutex_;
    uint64_t nextFile_ = 1;
};

// 401 with no challenge, for requests whose user cannot be authenticated.
HttpReply unauthorizedWithoutChallenge();

}  // namespace mlnx_cimsim
