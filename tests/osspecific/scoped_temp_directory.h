#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace QuilletTest {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class ScopedTempDirectory {
public:
    ScopedTempDirectory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillet-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed for " + pattern);
        }
        m_path_ = pattern;
    }
    ~ScopedTempDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path_, ignored);
    }
    ScopedTempDirectory(const ScopedTempDirectory&) = delete;
    ScopedTempDirectory& operator=(const ScopedTempDirectory&) = delete;

    const std::filesystem::path& Path() const { return m_path_; }

    // Writes `contents` to `relative` below the directory, creating folders.
    std::filesystem::path WriteFile(const std::string& relative, const std::string& contents) const
    {
        const std::filesystem::path file = m_path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream stream(file, std::ios::binary);
        stream << contents;
        return file;
    }

private:
    std::filesystem::path m_path_;
};

}  // namespace QuilletTest
