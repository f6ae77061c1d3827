#ifndef Pegasus_Client_ChallengeFile_h
#define Pegasus_Client_ChallengeFile_h

#include <cstddef>
#include <string>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

// A Local challenge names a file whose text the client sends back to the
// server. The client runs with the highest privileges in-band, so a server
// that named any file it liked would receive that file's text. This is the
// one place that decides whether a named file may be read, and the only
// place that reads one.

// Largest challenge file answered; a real challenge is a few dozen bytes.
constexpr std::size_t kChallengeFileLimit = 4096;

// Returns the text of the challenge file `path` (its lines joined without
// their ends) when, and only when:
// - `path` is FOLDER/NAME with FOLDER exactly one of `trustedFolders` and
//   NAME a plain file name (no folder parts, not "." or "..");
// - the file, opened without following a symbolic link and without
//   blocking, is a regular file with one name (no hard link elsewhere),
//   owned by this process's effective user,
//   with no access for group or others, and at most kChallengeFileLimit
//   bytes; all of this is checked on the opened file, not on the name.
// Otherwise raises CIMClientAuthenticationException naming the server
// (`where`), the path and the reason; a path that fails the first test is
// never opened.
std::string readTrustedChallengeFile(const std::string& path,
                                     const std::vector<std::string>& trustedFolders,
                                     const std::string& where);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
