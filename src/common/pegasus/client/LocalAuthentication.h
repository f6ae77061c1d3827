#ifndef Pegasus_Client_LocalAuthentication_h
#define Pegasus_Client_LocalAuthentication_h

#include "transport/HttpMessage.h"

#include <optional>
#include <string>

namespace Pegasus {
namespace ClientDetail {

// OpenPegasus's "Local" authentication, which its connectLocal() uses: the
// request names the process's user, the server answers 401 with the path of
// a file that only that user can read, and the request goes again with the
// file's text, which proves the user.

// Name of the header field that carries the Local credentials.
constexpr const char* kLocalAuthorizationField = "PegasusAuthorization";

// The user this process runs as; raises CannotConnectException when the
// system cannot tell.
std::string effectiveUserName();

// Local "USER"
std::string localIdentification(const std::string& user);
// Local "USER:PATH:CONTENT"
std::string localChallengeAnswer(const std::string& user, const std::string& path,
                                 const std::string& content);

// The path of a `WWW-Authenticate: Local "PATH"` challenge in `headers`, or
// nothing when the response carries no Local challenge.
std::optional<std::string> localChallengePath(const HttpHeaders& headers);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
