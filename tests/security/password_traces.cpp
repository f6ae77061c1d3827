#include "password_traces.h"

#include <openssl/evp.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace security_tests {
namespace {

std::string Base64(const std::string& text)
{
    std::string encoded(4 * ((text.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&encoded[0]),
                                       reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()));
    encoded.resize(static_cast<size_t>(length));
    return encoded;
}

std::string PercentEncoded(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
    }
    return encoded;
}

// A file larger than this was not written by a password leak worth reading whole.
const std::uintmax_t kLargestFileRead = std::uintmax_t{64} * 1024 * 1024;

}  // namespace

std::vector<std::string> PasswordForms(const std::string& user, const std::string& password)
{
    return {password, Base64(user + ":" + password), Base64(password), PercentEncoded(password)};
}

std::string FindAnyForm(const std::string& text, const std::vector<std::string>& forms)
{
    for (const std::string& form : forms) {
        if (text.find(form) != std::string::npos) {
            return form;
        }
    }
    return {};
}

StandardErrorCapture::StandardErrorCapture()
{
    std::fflush(stderr);
    m_memory_ = ::memfd_create("stderr-capture", MFD_CLOEXEC);
    m_saved_ = ::dup(STDERR_FILENO);
    if (m_memory_ < 0 || m_saved_ < 0 || ::dup2(m_memory_, STDERR_FILENO) < 0) {
        throw std::runtime_error("StandardErrorCapture: cannot redirect descriptor 2");
    }
}

StandardErrorCapture::~StandardErrorCapture()
{
    std::fflush(stderr);
    ::dup2(m_saved_, STDERR_FILENO);
    ::close(m_saved_);
    ::close(m_memory_);
}

std::string StandardErrorCapture::Text() const
{
    std::fflush(stderr);
    std::string text;
    char buffer[4096];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(m_memory_, buffer, sizeof buffer, offset);
        if (got <= 0) {
            return text;
        }
        text.append(buffer, static_cast<size_t>(got));
        offset += got;
    }
}

FilesWrittenSince::FilesWrittenSince()
    // File times are coarser than the clock: start a little early.
    : m_start_(std::filesystem::file_time_type::clock::now() - std::chrono::seconds(2))
{
}

std::vector<std::filesystem::path> FilesWrittenSince::Under(const std::vector<std::filesystem::path>& directories,
                                                            const std::vector<std::filesystem::path>& except) const
{
    namespace fs = std::filesystem;
    std::vector<fs::path> written;
    for (const fs::path& directory : directories) {
        std::error_code error;
        fs::recursive_directory_iterator it(directory, fs::directory_options::skip_permission_denied, error);
        for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            std::error_code entryError;
            if (!it->is_regular_file(entryError) || it->file_size(entryError) > kLargestFileRead) {
                continue;
            }
            const auto modified = it->last_write_time(entryError);
            if (entryError || modified < m_start_) {
                continue;
            }
            if (std::find(except.begin(), except.end(), it->path()) == except.end()) {
                written.push_back(it->path());
            }
        }
    }
    return written;
}

std::string FileContents(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

}  // namespace security_tests
