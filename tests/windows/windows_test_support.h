#pragma once
// Helpers shared by the Windows tests: where the test programs are, and a
// scratch directory that disappears with the test.
#include <string>

namespace QuilletWindowsTests {

// Directory of the running test program, with its trailing backslash.
std::string TestProgramDirectory();

// Full path of a program or DLL built next to the tests.
std::string BuiltFile(const std::string& name);

// How many kernel handles the process holds now (GetProcessHandleCount
// answers 0 under Wine, so the handle table is probed instead).
unsigned CountOpenHandles();

// Sets an environment variable for this process and the children it starts
// (and for getenv in every module of it); restores the earlier state when it goes.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const std::string& name, const std::string& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string m_name_;
    bool m_was_set_;
    std::string m_previous_;
};

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // The directory, without a trailing backslash.
    const std::string& Path() const { return m_path_; }
    // Writes `contents` to the relative path `name`, creating the directories
    // on the way; returns the file's full path.
    std::string WriteFile(const std::string& name, const std::string& contents) const;
    // Creates the relative directory `name`; returns its full path.
    std::string MakeDirectory(const std::string& name) const;

private:
    std::string m_path_;
};

}  // namespace QuilletWindowsTests
