#include "windows_test_support.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace QuilletWindowsTests {

std::string TestProgramDirectory()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string file(path, length);
    return file.substr(0, file.rfind('\\') + 1);
}

std::string BuiltFile(const std::string& name)
{
    return TestProgramDirectory() + name;
}

unsigned CountOpenHandles()
{
    // Handle values are multiples of 4; a test process holds a few dozen.
    const std::uintptr_t highestProbed = 4096;
    unsigned open = 0;
    for (std::uintptr_t value = 4; value <= highestProbed; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++open;
        }
    }
    return open;
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const std::string& name, const std::string& value)
    : m_name_(name), m_was_set_(std::getenv(name.c_str()) != nullptr)
{
    if (m_was_set_) {
        m_previous_ = std::getenv(name.c_str());
    }
    // _putenv_s changes the C runtime's copy and the process's own block alike.
    _putenv_s(name.c_str(), value.c_str());
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable()
{
    // An empty value removes the variable.
    _putenv_s(m_name_.c_str(), m_was_set_ ? m_previous_.c_str() : "");
}

ScratchDirectory::ScratchDirectory()
{
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        const std::filesystem::path candidate =
            base / ("quillet-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt));
        if (std::filesystem::create_directory(candidate)) {
            m_path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("no free scratch directory under " + base.string());
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path_, ignored);
}

std::string ScratchDirectory::WriteFile(const std::string& name, const std::string& contents) const
{
    const std::filesystem::path file = std::filesystem::path(m_path_) / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream stream(file, std::ios::binary);
    stream << contents;
    if (!stream) {
        throw std::runtime_error("cannot write " + file.string());
    }
    return file.string();
}

std::string ScratchDirectory::MakeDirectory(const std::string& name) const
{
    const std::filesystem::path directory = std::filesystem::path(m_path_) / name;
    std::filesystem::create_directories(directory);
    return directory.string();
}

}  // namespace QuilletWindowsTests
