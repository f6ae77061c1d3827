#include "trusted_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "tool_error.h"

namespace Quillet::Cli {
namespace {

const int kTemporaryNameAttempts = 100;

std::string OctalMode(mode_t mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

bool OwnedByRootOrUs(const struct stat& status)
{
    return status.st_uid == 0 || status.st_uid == geteuid();
}

std::string OwnerText(const struct stat& status)
{
    const std::string owner = "owned by uid " + std::to_string(status.st_uid);
    return geteuid() == 0 ? owner + ", not by root" : owner + ", not by root or uid " + std::to_string(geteuid());
}

// Closes the descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd_(fd) {}
    ~Descriptor()
    {
        if (m_fd_ >= 0) {
            close(m_fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd_; }
    int Release()
    {
        const int fd = m_fd_;
        m_fd_ = -1;
        return fd;
    }

private:
    int m_fd_;
};

// Reads all of `fd` up to `limit` + 1 bytes, so a file that grew past the
// limit after fstat is still noticed.
bool ReadAtMost(int fd, std::size_t limit, std::string& content)
{
    char buffer[4096];
    while (content.size() <= limit) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        content.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

std::string TemporaryName(const std::string& name, std::mt19937_64& random)
{
    return "." + name + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(random() % 1000000000);
}

}  // namespace

TrustedFolder::TrustedFolder(const std::string& path, bool createMissing) : m_path_(path)
{
    const std::string what = "the folder '" + path + "'";
    if (createMissing) {
        std::error_code error;
        std::filesystem::create_directories(path, error);
        if (error) {
            throw ToolError(ToolExit::CannotWrite, "cannot create " + what + ": " + error.message());
        }
    }
    Descriptor folder(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.Get() < 0) {
        struct stat status {};
        if ((errno == ELOOP || errno == ENOTDIR) && lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
            throw ToolError(ToolExit::CannotWrite, "refusing to write into " + what +
                                                       ": it is a symbolic link; give the real folder");
        }
        throw ToolError(ToolExit::CannotWrite, SystemErrorText("cannot open " + what, errno));
    }
    struct stat status {};
    if (fstat(folder.Get(), &status) != 0) {
        throw ToolError(ToolExit::CannotWrite, SystemErrorText("cannot read the owner of " + what, errno));
    }
    if (!OwnedByRootOrUs(status)) {
        throw ToolError(ToolExit::CannotWrite,
                        "refusing to write into " + what + ": it is " + OwnerText(status) +
                            ", who could link its names to other files");
    }
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        throw ToolError(ToolExit::CannotWrite, "refusing to write into " + what + ": group or others may write to it (mode " +
                                                   OctalMode(status.st_mode) + "); use a folder only its owner can write");
    }
    m_fd_ = folder.Release();
}

TrustedFolder::~TrustedFolder()
{
    if (m_fd_ >= 0) {
        close(m_fd_);
    }
}

void TrustedFolder::WriteFile(const std::string& name, const std::string& content, mode_t mode) const
{
    const std::string target = (std::filesystem::path(m_path_) / name).string();
    std::mt19937_64 random(std::random_device{}());
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && fd < 0; ++attempt) {
        temporary = TemporaryName(name, random);
        fd = openat(m_fd_, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        throw ToolError(ToolExit::CannotWrite, SystemErrorText("cannot create a new file beside " + target, errno));
    }
    Descriptor file(fd);
    auto fail = [&](const std::string& what) {
        const int error = errno;
        unlinkat(m_fd_, temporary.c_str(), 0);
        throw ToolError(ToolExit::CannotWrite, SystemErrorText(what, error));
    };
    size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = write(file.Get(), content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            fail("cannot write " + target);
        }
        written += static_cast<size_t>(n);
    }
    // The umask has no say: the mode is what the reader needs.
    if (fchmod(file.Get(), mode) != 0 || fsync(file.Get()) != 0 || close(file.Release()) != 0) {
        fail("cannot write " + target);
    }
    if (renameat(m_fd_, temporary.c_str(), m_fd_, name.c_str()) != 0) {
        fail("cannot rename the new file to " + target);
    }
}

std::string ReadSecretFile(const std::string& path)
{
    const std::string what = "the password file '" + path + "'";
    Descriptor file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno == ELOOP) {
            throw ToolError(ToolExit::NoInput, "refusing " + what + ": it is a symbolic link; give the file itself");
        }
        throw ToolError(ToolExit::NoInput, SystemErrorText("cannot read " + what, errno));
    }
    struct stat status {};
    if (fstat(file.Get(), &status) != 0) {
        throw ToolError(ToolExit::NoInput, SystemErrorText("cannot read " + what, errno));
    }
    if (S_ISDIR(status.st_mode)) {
        throw ToolError(ToolExit::NoInput, what + " is a directory; give the file whose first line is the password");
    }
    if (!S_ISREG(status.st_mode)) {
        throw ToolError(ToolExit::NoInput, "refusing " + what + ": it is not a regular file (a device, FIFO or socket)");
    }
    if (!OwnedByRootOrUs(status)) {
        throw ToolError(ToolExit::NoInput, "refusing " + what + ": it is " + OwnerText(status));
    }
    if ((status.st_mode & (S_IRGRP | S_IROTH)) != 0) {
        throw ToolError(ToolExit::NoInput, "refusing " + what + ": group or others may read it (mode " +
                                               OctalMode(status.st_mode) + "); chmod 600 it");
    }
    const std::string tooLarge =
        "refusing " + what + ": it is larger than " + std::to_string(kMaxPasswordFileBytes) + " bytes";
    if (static_cast<std::size_t>(status.st_size) > kMaxPasswordFileBytes) {
        throw ToolError(ToolExit::NoInput, tooLarge);
    }
    std::string content;
    if (!ReadAtMost(file.Get(), kMaxPasswordFileBytes, content)) {
        throw ToolError(ToolExit::NoInput, SystemErrorText("cannot read " + what, errno));
    }
    if (content.size() > kMaxPasswordFileBytes) {
        throw ToolError(ToolExit::NoInput, tooLarge);
    }
    return content;
}

std::string ReadSettingsFile(const std::string& path, const std::string& what, std::string* realPath)
{
    const std::string named = what + " '" + path + "'";
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        throw ToolError(ToolExit::NoInput, SystemErrorText("cannot read " + named, errno));
    }
    const std::string real(resolved);
    free(resolved);
    const std::string folderPath = std::filesystem::path(real).parent_path().string();
    struct stat folder {};
    if (stat(folderPath.c_str(), &folder) != 0) {
        throw ToolError(ToolExit::NoInput, SystemErrorText("cannot read the folder of " + named, errno));
    }
    const std::string refusing = "refusing " + named + (real == path ? "" : " ('" + real + "')") + ": ";
    if (!OwnedByRootOrUs(folder)) {
        throw ToolError(ToolExit::NoInput, refusing + "its folder '" + folderPath + "' is " + OwnerText(folder) +
                                               ", who could put another file in its place");
    }
    if ((folder.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (folder.st_mode & S_ISVTX) == 0) {
        throw ToolError(ToolExit::NoInput, refusing + "group or others may write to its folder '" + folderPath +
                                               "' (mode " + OctalMode(folder.st_mode) + ")");
    }
    Descriptor file(open(real.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (file.Get() < 0 || fstat(file.Get(), &status) != 0) {
        throw ToolError(ToolExit::NoInput, SystemErrorText("cannot read " + named, errno));
    }
    if (!S_ISREG(status.st_mode)) {
        throw ToolError(ToolExit::NoInput, refusing + "it is not a regular file");
    }
    if (!OwnedByRootOrUs(status)) {
        throw ToolError(ToolExit::NoInput, refusing + "it is " + OwnerText(status));
    }
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        throw ToolError(ToolExit::NoInput, refusing + "group or others may write to it (mode " +
                                               OctalMode(status.st_mode) + "); chmod go-w it");
    }
    std::string content;
    if (!ReadAtMost(file.Get(), kMaxSettingsFileBytes, content)) {
        throw ToolError(ToolExit::NoInput, SystemErrorText("cannot read " + named, errno));
    }
    if (content.size() > kMaxSettingsFileBytes) {
        throw ToolError(ToolExit::NoInput,
                        refusing + "it is larger than " + std::to_string(kMaxSettingsFileBytes) + " bytes");
    }
    if (realPath != nullptr) {
        *realPath = real;
    }
    return content;
}

std::optional<std::string> ReadBackFile(const std::string& path, std::size_t limit, std::string& refusal)
{
    Descriptor file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno != ENOENT) {
            refusal = errno == ELOOP ? "'" + path + "' is a symbolic link, not read"
                                     : SystemErrorText("cannot read '" + path + "'", errno);
        }
        return std::nullopt;
    }
    struct stat status {};
    if (fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        refusal = "'" + path + "' is not a regular file, not read";
        return std::nullopt;
    }
    std::string content;
    if (static_cast<std::size_t>(status.st_size) > limit || !ReadAtMost(file.Get(), limit, content) ||
        content.size() > limit) {
        refusal = "'" + path + "' is larger than " + std::to_string(limit) + " bytes or cannot be read, not read";
        return std::nullopt;
    }
    return content;
}

}  // namespace Quillet::Cli
