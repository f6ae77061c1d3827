#include "ChallengeFile.h"

#include <Pegasus/Client/CIMClientFailureExceptions.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#ifdef _WIN32
#include "WinAccount.h"

#include <aclapi.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Pegasus {
namespace ClientDetail {

namespace {

class ChallengeRefusal
{
public:
    ChallengeRefusal(const std::string& path, const std::string& where)
        : _path(path), _where(where)
    {
    }

    [[noreturn]] void operator()(const std::string& reason) const
    {
        const std::string message = "Local authentication at the CIM server at " + _where +
                                    " failed: the challenge file " + _path + " " + reason;
        throw CIMClientAuthenticationException(String(message.c_str()), String::EMPTY);
    }

private:
    const std::string& _path;
    const std::string& _where;
};

std::string joined(const std::vector<std::string>& folders)
{
    std::string text;
    for (const std::string& folder : folders)
        text += (text.empty() ? "" : ", ") + folder;
    return text;
}

// The path as the server's platform writes it, with '/' between parts
// (OpenPegasus's client compares it so, after the same translation).
std::string withForwardSlashes(std::string path)
{
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    return path;
}

// The name test: nothing is opened unless it passes.
void requireInsideTrustedFolder(const std::string& path,
                                const std::vector<std::string>& trustedFolders,
                                const ChallengeRefusal& refuse)
{
    if (path.find('\0') != std::string::npos)
        refuse("contains a NUL character");
    const std::string normal = withForwardSlashes(path);
    const std::size_t slash = normal.rfind('/');
    if (slash == std::string::npos)
        refuse("is not a full path inside the folder trusted for this server (" +
               joined(trustedFolders) + ")");
    const std::string folder = normal.substr(0, slash);
    const std::string name = normal.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        refuse("does not name a file (\"" + name + "\" after the folder)");
    if (std::find(trustedFolders.begin(), trustedFolders.end(), folder) == trustedFolders.end())
        refuse("is not directly inside the folder trusted for this server (" +
               joined(trustedFolders) + ")");
}

// Lines joined without their ends, as OpenPegasus's client reads them.
std::string withoutLineEnds(const std::string& text)
{
    std::string content;
    content.reserve(text.size());
    for (char c : text)
    {
        if (c != '\n' && c != '\r')
            content += c;
    }
    return content;
}

#ifdef _WIN32

struct LocalFreer
{
    void operator()(void* memory) const { LocalFree(memory); }
};

std::wstring wide(const std::string& text)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), size);
    result.resize(wcslen(result.c_str()));
    return result;
}

std::string readOpenedFile(const std::string& path, const ChallengeRefusal& refuse)
{
    HANDLE opened = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
    {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            refuse("does not exist");
        refuse("cannot be opened (Windows error " + std::to_string(error) + ")");
    }
    const WinHandle file(opened);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(opened, &info))
        refuse("cannot be examined (Windows error " + std::to_string(GetLastError()) + ")");
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        refuse("is a symbolic link or another reparse point");
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        refuse("is not a regular file");
    if (info.nNumberOfLinks != 1)
        refuse("has " + std::to_string(info.nNumberOfLinks) + " names (hard links), not one");
    const unsigned long long size =
        (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > kChallengeFileLimit)
        refuse("is larger than " + std::to_string(kChallengeFileLimit) + " bytes (" +
               std::to_string(size) + " bytes)");

    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(opened, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        refuse("has an owner that cannot be read");
    std::unique_ptr<void, LocalFreer> ownedDescriptor(descriptor);
    const std::vector<unsigned char> user = processTokenUser(GetCurrentProcess());
    if (user.empty() || !EqualSid(owner, userSid(user)))
        refuse("is not owned by this process's user");

    std::string text(kChallengeFileLimit + 1, '\0');
    DWORD read = 0;
    if (!ReadFile(opened, text.data(), static_cast<DWORD>(text.size()), &read, nullptr))
        refuse("cannot be read (Windows error " + std::to_string(GetLastError()) + ")");
    if (read > kChallengeFileLimit)
        refuse("is larger than " + std::to_string(kChallengeFileLimit) + " bytes");
    text.resize(read);
    return text;
}

#else

struct FdCloser
{
    int fd;
    ~FdCloser() { ::close(fd); }
};

std::string readOpenedFile(const std::string& path, const ChallengeRefusal& refuse)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
    {
        const int error = errno;
        if (error == ENOENT)
            refuse("does not exist");
        if (error == ELOOP)
            refuse("is a symbolic link");
        refuse(std::string("cannot be opened: ") + std::strerror(error));
    }
    const FdCloser closer{fd};
    struct stat info{};
    if (::fstat(fd, &info) != 0)
        refuse(std::string("cannot be examined: ") + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        refuse("is not a regular file");
    // A challenge file is made fresh: a second name means it is another file too.
    if (info.st_nlink != 1)
        refuse("has " + std::to_string(info.st_nlink) + " names (hard links), not one");
    if (info.st_uid != ::geteuid())
        refuse("belongs to user ID " + std::to_string(info.st_uid) + ", not to this process's user ID " +
               std::to_string(::geteuid()));
    if ((info.st_mode & 077) != 0)
    {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        refuse(std::string("may be accessed by group or others (mode ") + mode + ")");
    }
    if (info.st_size > static_cast<off_t>(kChallengeFileLimit))
        refuse("is larger than " + std::to_string(kChallengeFileLimit) + " bytes (" +
               std::to_string(info.st_size) + " bytes)");

    // The read is bounded too: the size could grow after fstat.
    std::string text(kChallengeFileLimit + 1, '\0');
    std::size_t filled = 0;
    while (filled < text.size())
    {
        const ssize_t got = ::read(fd, text.data() + filled, text.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            refuse(std::string("cannot be read: ") + std::strerror(errno));
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    if (filled > kChallengeFileLimit)
        refuse("is larger than " + std::to_string(kChallengeFileLimit) + " bytes");
    text.resize(filled);
    return text;
}

#endif

}  // namespace

std::string readTrustedChallengeFile(const std::string& path,
                                     const std::vector<std::string>& trustedFolders,
                                     const std::string& where)
{
    const ChallengeRefusal refuse(path, where);
    requireInsideTrustedFolder(path, trustedFolders, refuse);
    return withoutLineEnds(readOpenedFile(path, refuse));
}

}  // namespace ClientDetail
}  // namespace Pegasus
