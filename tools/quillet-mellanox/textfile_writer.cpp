#include "textfile_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "tool_error.h"

namespace Quillet::Cli {
namespace {

// Deletes the temporary file unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) : m_path_(target + ".tmp-XXXXXX")
    {
        std::vector<char> name(m_path_.begin(), m_path_.end());
        name.push_back('\0');
        m_fd_ = mkstemp(name.data());
        if (m_fd_ < 0) {
            throw ToolError(ToolExit::CannotWrite,
                            SystemErrorText("cannot create a temporary file beside " + target, errno));
        }
        m_path_ = name.data();
    }
    ~TemporaryFile()
    {
        if (m_fd_ >= 0) {
            close(m_fd_);
        }
        if (!m_renamed_) {
            unlink(m_path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void Write(const std::string& content)
    {
        size_t written = 0;
        while (written < content.size()) {
            const ssize_t n = write(m_fd_, content.data() + written, content.size() - written);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                Fail("cannot write " + m_path_);
            }
            written += static_cast<size_t>(n);
        }
        // mkstemp makes it private to us.
        if (fchmod(m_fd_, 0644) != 0) {
            Fail("cannot make " + m_path_ + " readable");
        }
        if (fsync(m_fd_) != 0) {
            Fail("cannot write " + m_path_ + " to disk");
        }
        const int fd = m_fd_;
        m_fd_ = -1;
        if (close(fd) != 0) {
            Fail("cannot write " + m_path_);
        }
    }

    void RenameTo(const std::string& target)
    {
        if (std::rename(m_path_.c_str(), target.c_str()) != 0) {
            Fail("cannot rename " + m_path_ + " to " + target);
        }
        m_renamed_ = true;
    }

private:
    [[noreturn]] static void Fail(const std::string& what)
    {
        throw ToolError(ToolExit::CannotWrite, SystemErrorText(what, errno));
    }

    std::string m_path_;
    int m_fd_ = -1;
    bool m_renamed_ = false;
};

// The end of the label part that starts at `open` ('{'), quotes and
// escapes respected; npos when the line ends first.
size_t LabelPartEnd(const std::string& line, size_t open)
{
    bool quoted = false;
    for (size_t i = open + 1; i < line.size(); ++i) {
        if (quoted && line[i] == '\\') {
            ++i;
        } else if (line[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && line[i] == '}') {
            return i;
        }
    }
    return std::string::npos;
}

}  // namespace

void WriteTextfileAtomically(const std::string& path, const std::string& content)
{
    TemporaryFile file(path);
    file.Write(content);
    file.RenameTo(path);
}

std::map<std::string, double> ReadPreviousSamples(const std::string& path, const std::string& family)
{
    std::map<std::string, double> samples;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, family.size(), family) != 0 || line.size() == family.size()) {
            continue;
        }
        size_t valueStart = family.size();
        std::string labels;
        if (line[valueStart] == '{') {
            const size_t close = LabelPartEnd(line, valueStart);
            if (close == std::string::npos) {
                continue;
            }
            labels = line.substr(valueStart, close - valueStart + 1);
            valueStart = close + 1;
        }
        if (valueStart >= line.size() || line[valueStart] != ' ') {
            continue;  // another family whose name starts with this one
        }
        char* end = nullptr;
        const std::string valueText = line.substr(valueStart + 1);
        const double value = std::strtod(valueText.c_str(), &end);
        if (end != valueText.c_str()) {
            samples[labels] = value;
        }
    }
    return samples;
}

}  // namespace Quillet::Cli
