#pragma once
#include <cstdint>
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

// Children that SpawnProcess stopped waiting for when their time ran out.
// On Linux an ended child stays in the process table (a zombie) until it is
// waited for: the list collects those that have ended, without blocking, at
// every spawn it is given to, and when it is destroyed it ends and collects
// the ones still running. Windows children leave nothing behind once their
// handles are closed, so there the list stays empty.
class TimedOutChildren {
public:
    TimedOutChildren() = default;
    ~TimedOutChildren();
    TimedOutChildren(const TimedOutChildren&) = delete;
    TimedOutChildren& operator=(const TimedOutChildren&) = delete;

    void Add(long processId, const std::string& commandLine);
    // Collects every child of the list that has ended; never blocks.
    void CollectEnded();
    size_t Size() const { return m_children_.size(); }

private:
    struct Child {
        long processId;
        std::string commandLine;
    };
    std::vector<Child> m_children_;
};

// Runs `command` with `arguments`, standard output and standard error merged
// into `*output`. Reading the output and, once it has ended, waiting for the
// child are each bounded by `timeoutSeconds`; what was read is kept either way.
// Returns the child's exit code, 259 when either bound ran out, -1 when it
// could not be started. A child whose time ran out goes on running; given
// `timedOut`, the call first collects the ended children of that list and
// adds this child to it, so that it does not linger once it ends.
int SpawnProcess(const std::string& command, const std::vector<std::string>& arguments, int timeoutSeconds,
                 std::string* output, TimedOutChildren* timedOut = nullptr);

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

// How long SpawnProcess really waits when asked to wait `milliseconds` for a
// child (for its output to end, then for its exit): as long as asked, unless
// a ScopedChildWaitObserver is installed.
int64_t ChildWaitMilliseconds(int64_t milliseconds);

// While installed, every wait of SpawnProcess for a child is reported to the
// observer, which answers how many milliseconds to wait instead: tests and
// benchmarks shorten the tools' time-out without the module's knowledge.
// Restores the previous observer when destroyed.
class ScopedChildWaitObserver {
public:
    using Observer = std::function<int64_t(int64_t milliseconds)>;
    explicit ScopedChildWaitObserver(Observer observer);
    ~ScopedChildWaitObserver();
    ScopedChildWaitObserver(const ScopedChildWaitObserver&) = delete;
    ScopedChildWaitObserver& operator=(const ScopedChildWaitObserver&) = delete;

private:
    Observer m_previous_;
};

}  // namespace OsSpecific
}  // namespace Quillet
