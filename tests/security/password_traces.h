#pragma once
// Looking for a password wherever a program could leave it: the forms it can
// take on the way (as typed, in an HTTP Basic header, percent-encoded), the
// process's standard error, and the files written since a moment.

#include <filesystem>
#include <string>
#include <vector>

namespace security_tests {

// The password as typed, base64 of "user:password" (HTTP Basic), base64 of
// the password alone and its percent-encoding.
std::vector<std::string> PasswordForms(const std::string& user, const std::string& password);

// The first form found in `text`, or empty text.
std::string FindAnyForm(const std::string& text, const std::vector<std::string>& forms);

// While alive, whatever is written to file descriptor 2 goes into an
// anonymous in-memory file instead (so that nothing is written to disk).
class StandardErrorCapture {
public:
    StandardErrorCapture();
    ~StandardErrorCapture();
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    std::string Text() const;

private:
    int m_memory_ = -1;
    int m_saved_ = -1;
};

// Regular files under the directories modified since the object was made,
// except the ones listed. Unreadable places are passed over.
class FilesWrittenSince {
public:
    FilesWrittenSince();
    std::vector<std::filesystem::path> Under(const std::vector<std::filesystem::path>& directories,
                                             const std::vector<std::filesystem::path>& except) const;

private:
    std::filesystem::file_time_type m_start_;
};

std::string FileContents(const std::filesystem::path& path);

}  // namespace security_tests
