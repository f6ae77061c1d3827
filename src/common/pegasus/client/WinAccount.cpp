#include "WinAccount.h"

namespace Pegasus {
namespace ClientDetail {

std::vector<unsigned char> processTokenUser(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    const WinHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return {};
    return buffer;
}

}  // namespace ClientDetail
}  // namespace Pegasus
