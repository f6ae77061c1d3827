#pragma once
#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>

namespace Quillet::Cli {

// The tool runs as root on managed nodes: every file it writes, every
// password file and every file it reads back is decided on here, and
// nowhere else. A folder or file is trusted when root or the tool's own
// user owns it, because only they could have put something there that
// the tool should not write through or read.

// A folder the tool may write into: a real folder (not a link), owned by
// root or the tool's user, not writable by group or others. Held open, so
// that renaming or replacing the path afterwards changes nothing.
class TrustedFolder {
public:
    // Creates the folder (and its parents) when `createMissing` and it is
    // missing. Throws ToolError(CannotWrite) naming the folder and the
    // reason it is refused.
    TrustedFolder(const std::string& path, bool createMissing);
    ~TrustedFolder();
    TrustedFolder(const TrustedFolder&) = delete;
    TrustedFolder& operator=(const TrustedFolder&) = delete;

    // Writes `content` to a file created fresh in this folder (never opened
    // through an existing name, links not followed) and renames it to `name`,
    // replacing whatever had that name, a link included, and never writing
    // through it. The temporary name starts with '.' and does not end in
    // ".prom". Throws ToolError(CannotWrite); `name` is then left as it was.
    void WriteFile(const std::string& name, const std::string& content, mode_t mode) const;

    const std::string& Path() const { return m_path_; }

private:
    std::string m_path_;
    int m_fd_ = -1;
};

// Largest password file accepted.
constexpr std::size_t kMaxPasswordFileBytes = 4096;

// The content of a password file: a regular file (not a link, FIFO or
// device), owned by root or the tool's user, not readable by group or
// others, at most kMaxPasswordFileBytes. Checked on the opened file, which
// is opened without following links and without blocking. Throws
// ToolError(NoInput) naming the file and the reason.
std::string ReadSecretFile(const std::string& path);

// Largest hosts file or CA file accepted.
constexpr std::size_t kMaxSettingsFileBytes = 4 * 1024 * 1024;

// A file that decides where the tool connects and whom it trusts (the hosts
// file, the --verify-cert CA file): whoever may change it chooses the servers
// the credentials go to. Links are followed, and what is checked is the file
// reached and the folder it is in: the file regular, owned by root or the
// tool's user, not writable by group or others; the folder owned by root or
// the tool's user and not writable by group or others unless sticky (as
// /tmp), so nobody else can put another file in its place. Read without
// blocking, at most kMaxSettingsFileBytes. `what` names the file in errors
// ("the hosts file"). Throws ToolError(NoInput) naming the file and the
// reason. `realPath`, when given, receives the file's path with every link
// resolved, to be opened again later.
std::string ReadSettingsFile(const std::string& path, const std::string& what, std::string* realPath = nullptr);

// A file the tool wrote earlier and reads back: opened without following
// links and without blocking; only a regular file of at most `limit` bytes
// is read. Nothing when it is missing; otherwise, when it is refused or
// cannot be read, nothing and `refusal` says why.
std::optional<std::string> ReadBackFile(const std::string& path, std::size_t limit, std::string& refusal);

}  // namespace Quillet::Cli
