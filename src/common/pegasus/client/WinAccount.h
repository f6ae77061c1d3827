#ifndef Pegasus_Client_WinAccount_h
#define Pegasus_Client_WinAccount_h

// Windows only: the account a process runs as, for the checks of who owns a
// challenge file and who listens at a local port.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <memory>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

struct WinHandleCloser
{
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using WinHandle = std::unique_ptr<void, WinHandleCloser>;

// The TOKEN_USER of `process`, in the buffer that holds it; empty when the
// token cannot be read.
std::vector<unsigned char> processTokenUser(HANDLE process);

// The user SID inside a buffer from processTokenUser.
inline PSID userSid(const std::vector<unsigned char>& tokenUser)
{
    return reinterpret_cast<const TOKEN_USER*>(tokenUser.data())->User.Sid;
}

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
