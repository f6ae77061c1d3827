#pragma once
#include <functional>
#include <string>
#include <vector>

namespace Quillet {
namespace OsSpecific {

// Handle of a loaded module (a DLL's base address on Windows, a shared
// object's base address elsewhere).
typedef void* ModuleHandle;

// Value a still-running child's exit code reads as.
const int kStillActive = 259;

// Runs `command` with `arguments`, standard output and standard error merged
// into `*output`; waits up to `timeoutSeconds` after the output has ended.
// Returns the child's exit code, 259 when it is still running, -1 when it
// could not be started.
int SpawnProcess(const std::string& command, const std::vector<std::string>& arguments, int timeoutSeconds,
                 std::string* output);

// Reads an open handle (a file descriptor elsewhere) to its end.
std::string GetFileContents(int handle, const std::string& name);

// True when `path` names an existing entry that is not a directory.
bool FileExists(const std::string& path);

ModuleHandle GetSelfModuleHandle();

// Directory of the module's file, with its trailing separator; empty on failure.
std::string GetModuleDirectory(ModuleHandle module);

// Every pause of the module goes through here.
void SleepMilliseconds(unsigned int milliseconds);

// While an observer is installed, SleepMilliseconds reports the pause to it
// and returns at once instead of waiting: tests see the pauses without
// waiting them out. Restores the previous observer when destroyed.
class ScopedSleepObserver {
public:
    using Observer = std::function<void(unsigned int milliseconds)>;
    explicit ScopedSleepObserver(Observer observer);
    ~ScopedSleepObserver();
    ScopedSleepObserver(const ScopedSleepObserver&) = delete;
    ScopedSleepObserver& operator=(const ScopedSleepObserver&) = delete;

private:
    Observer m_previous_;
};

}  // namespace OsSpecific
}  // namespace Quillet
