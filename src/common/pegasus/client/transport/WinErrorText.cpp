#include "WinErrorText.h"

#include <windows.h>

namespace Pegasus {
namespace ClientDetail {

std::string windowsErrorText(unsigned long code)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length && text ? std::string(text, length) : std::string();
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

std::string socketErrorText(int error)
{
    const std::string message = windowsErrorText(static_cast<unsigned long>(error));
    const std::string code = "socket error " + std::to_string(error);
    return message.empty() ? code : message + " (" + code + ")";
}

}  // namespace ClientDetail
}  // namespace Pegasus
