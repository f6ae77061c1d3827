// The platform layer on Linux: child processes started directly from their
// argument vector, standard output and standard error merged into one pipe.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "opn_logging.h"
#include "osspecific.h"
#include "osspecific_text.h"

extern char** environ;

namespace Quillet {
namespace OsSpecific {
namespace {

const size_t kReadChunkBytes = 4096;

// Owns one file descriptor; closes it when it goes out of scope.
class ScopedDescriptor {
public:
    ScopedDescriptor() = default;
    ~ScopedDescriptor() { Close(); }
    ScopedDescriptor(const ScopedDescriptor&) = delete;
    ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;

    int Get() const { return m_fd_; }
    void Reset(int fd)
    {
        Close();
        m_fd_ = fd;
    }
    // Closes the descriptor now; false when the system reported an error.
    // Linux releases the descriptor even then, so it is never closed twice.
    bool Close()
    {
        if (m_fd_ < 0) {
            return true;
        }
        const int closed = ::close(m_fd_);
        m_fd_ = -1;
        return closed == 0;
    }

private:
    int m_fd_ = -1;
};

// Both ends close on exec: only the copies placed on the child's standard
// descriptors reach the child, so no descriptor of ours leaks into it.
bool CreatePipe(ScopedDescriptor& readEnd, ScopedDescriptor& writeEnd)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return false;
    }
    readEnd.Reset(ends[0]);
    writeEnd.Reset(ends[1]);
    return true;
}

std::string ErrorText(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

int SpawnFailed(const char* message)
{
    OPN_LOG(1) << message;
    return -1;
}

// Starts `command` (looked up in PATH when it holds no slash, as the Windows
// loader searches for a bare program name) with standard input and both
// output streams on the given descriptors. Returns 0 or the error number.
int StartChild(const std::string& command, const std::vector<std::string>& arguments, int standardInput,
               int standardOutput, pid_t* child)
{
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(command.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (int error = posix_spawn_file_actions_init(&actions)) {
        return error;
    }
    posix_spawnattr_t attributes;
    if (int error = posix_spawnattr_init(&attributes)) {
        posix_spawn_file_actions_destroy(&actions);
        return error;
    }
    // A host that ignores SIGPIPE or blocks signals must not pass that on to
    // the tools it runs.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigset_t noneBlocked;
    sigemptyset(&noneBlocked);

    int error = posix_spawn_file_actions_adddup2(&actions, standardInput, STDIN_FILENO);
    if (error == 0) {
        error = posix_spawn_file_actions_adddup2(&actions, standardOutput, STDOUT_FILENO);
    }
    if (error == 0) {
        error = posix_spawn_file_actions_adddup2(&actions, standardOutput, STDERR_FILENO);
    }
    if (error == 0) {
        error = posix_spawnattr_setsigdefault(&attributes, &defaults);
    }
    if (error == 0) {
        error = posix_spawnattr_setsigmask(&attributes, &noneBlocked);
    }
    if (error == 0) {
        error = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    if (error == 0) {
        // glibc reports a failed exec here, after the child has gone.
        error = posix_spawnp(child, command.c_str(), &actions, &attributes, argv.data(), environ);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

// The exit code the way a shell reports it: the status given to exit(), or
// 128 plus the number of the signal that ended the child.
int ExitCodeOf(int status)
{
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return 0;
}

// Collects the child when it has ended. Returns false when it has not ended
// yet; a failed wait (the child cannot be waited for) leaves `exitCode` alone.
bool ReapIfEnded(pid_t child, int* exitCode)
{
    int status = 0;
    pid_t reaped;
    do {
        reaped = ::waitpid(child, &status, WNOHANG);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == 0) {
        return false;
    }
    if (reaped == child) {
        *exitCode = ExitCodeOf(status);
    }
    return true;
}

// Kernels without process descriptors: look again after short real pauses.
// These are not the module's pauses, so they do not go through SleepMilliseconds.
bool PollForExit(pid_t child, std::chrono::steady_clock::time_point deadline, int* exitCode)
{
    std::chrono::milliseconds pause(1);
    for (;;) {
        if (ReapIfEnded(child, exitCode)) {
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

// Waits at most `timeoutMilliseconds` for the child to end and collects it.
// Returns false when the time ran out; the child is then left running and
// not collected.
bool WaitForExit(pid_t child, int64_t timeoutMilliseconds, int* exitCode)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    ScopedDescriptor process;
    process.Reset(static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));
    if (process.Get() < 0) {
        return PollForExit(child, deadline, exitCode);
    }
    for (;;) {
        if (ReapIfEnded(child, exitCode)) {
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd ended{process.Get(), POLLIN, 0};
        // Rounded up so that a fraction of a millisecond left still waits.
        const int result = ::poll(&ended, 1, static_cast<int>(std::min<int64_t>(left.count() + 1, INT32_MAX)));
        if (result < 0 && errno != EINTR) {
            return PollForExit(child, deadline, exitCode);
        }
    }
}

}  // namespace

int SpawnProcess(const std::string& command, const std::vector<std::string>& arguments, int timeoutSeconds,
                 std::string* output)
{
    // For the log only: the child gets its arguments as a vector, so nothing
    // is ever split or re-parsed.
    const std::string commandLine = BuildCommandLine(command, arguments);

    ScopedDescriptor outputRead;
    ScopedDescriptor outputWrite;
    if (!CreatePipe(outputRead, outputWrite)) {
        return SpawnFailed("stdout pipe creation failed");
    }
    ScopedDescriptor inputRead;
    ScopedDescriptor inputWrite;
    if (!CreatePipe(inputRead, inputWrite)) {
        return SpawnFailed("stdin pipe creation failed");
    }

    pid_t child = -1;
    if (const int error = StartChild(command, arguments, inputRead.Get(), outputWrite.Get(), &child)) {
        OPN_LOG(1) << "CreateProcess Failed";
        OPN_LOG(4) << "SpawnProcess() could not start " << command << ": " << ErrorText(error);
        return -1;
    }
    // Nothing is ever written to the child: it sees the end of its input at once.
    inputWrite.Close();
    inputRead.Close();

    // Only the child (and what it passes the descriptor on to) may hold the
    // write end now, so the output ends when they are done with it.
    if (!outputWrite.Close()) {
        return SpawnFailed("CloseHandle failed");
    }

    // Read before waiting: a child that writes more than the pipe holds must
    // not block on it while we wait for its exit.
    *output = GetFileContents(outputRead.Get(), "");
    OPN_LOG(3) << "SpawnProcess() " << commandLine << " Returned:" << *output;
    outputRead.Close();

    int exitCode = 0;
    if (!WaitForExit(child, static_cast<int64_t>(timeoutSeconds) * 1000, &exitCode)) {
        exitCode = kStillActive;
    }
    OPN_LOG(3) << "SpawnProcess() " << commandLine << " exit code = " << static_cast<unsigned int>(exitCode);
    return exitCode;
}

std::string GetFileContents(int handle, const std::string& name)
{
    std::string contents;
    char buffer[kReadChunkBytes];
    for (;;) {
        const ssize_t transferred = ::read(handle, buffer, sizeof buffer);
        if (transferred > 0) {
            contents.append(buffer, static_cast<size_t>(transferred));
            continue;
        }
        if (transferred == 0) {
            return contents;
        }
        if (errno == EINTR) {
            continue;
        }
        const int error = errno;
        OPN_LOG(1) << "GetFileContents failed to read file" << name;
        OPN_LOG(4) << ErrorText(error);
        return contents;
    }
}

}  // namespace OsSpecific
}  // namespace Quillet
