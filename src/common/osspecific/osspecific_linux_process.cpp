// The platform layer on Linux: child processes started directly from their
// argument vector (no shell), standard output and standard error merged into
// one pipe, their exit codes collected whatever the host does with SIGCHLD.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
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

// A descriptor moved above the three standard ones, so that placing the
// pipes on the child's standard descriptors never overwrites one of them (a
// host may run with standard input or output closed). -1 on failure.
int AboveStandardDescriptors(int fd)
{
    if (fd > STDERR_FILENO) {
        return fd;
    }
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    return moved;
}

// Both ends close on exec: only the copies placed on the child's standard
// descriptors reach the child, so no descriptor of ours leaks into it.
bool CreatePipe(ScopedDescriptor& readEnd, ScopedDescriptor& writeEnd)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return false;
    }
    // Both are moved only after the pipe exists, so the second cannot take the
    // slot the first has just left.
    readEnd.Reset(AboveStandardDescriptors(ends[0]));
    writeEnd.Reset(AboveStandardDescriptors(ends[1]));
    return readEnd.Get() >= 0 && writeEnd.Get() >= 0;
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

// The files `command` may name, in the order a shell tries them: itself when
// it holds a slash, otherwise that name in every directory of PATH (as the
// Windows loader searches for a bare program name).
std::vector<std::string> ProgramCandidates(const std::string& command)
{
    if (command.find('/') != std::string::npos) {
        return {command};
    }
    const char* path = ::getenv("PATH");
    const std::string directories = path != nullptr ? path : "/bin:/usr/bin";
    std::vector<std::string> candidates;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = directories.find(':', start);
        const std::string directory = directories.substr(start, end == std::string::npos ? end : end - start);
        // An empty entry is the current directory.
        candidates.push_back(directory.empty() ? command : directory + "/" + command);
        if (end == std::string::npos) {
            return candidates;
        }
        start = end + 1;
    }
}

// What the helper and the program need. Everything is built beforehand: the
// helper is a copy of this process, whose other threads may have held locks
// (the allocator's among them) at the moment of the copy, so it must not
// allocate or take a lock.
struct ChildStart {
    std::vector<char*> candidates;
    std::vector<char*> argv;
    char** environment;
    int standardInput;
    int standardOutput;
    // Where the program's start reports its failure: an error number.
    int failureReport;
};

// How the helper shows in the process list, beside the program it runs.
const char kHelperName[] = "quillet-spawn";

void ReportFailure(int report, int error)
{
    ssize_t ignored = ::write(report, &error, sizeof error);
    (void)ignored;
}

// Clears close-on-exec where a descriptor is placed on itself (dup2 then
// leaves the flag as it was). Returns false on failure.
bool PlaceDescriptor(int fd, int target)
{
    if (fd == target) {
        const int flags = ::fcntl(fd, F_GETFD);
        return flags >= 0 && ::fcntl(fd, F_SETFD, flags & ~FD_CLOEXEC) == 0;
    }
    return ::dup2(fd, target) == target;
}

// Closes the descriptors that would not survive running a program
// (close-on-exec), but `kept`: the helper never runs one of its own, so it must
// drop them itself, or it would hold the output pipes of this and other
// spawns open. Inheritable ones stay for the program, as they would without
// the helper. Reads /proc/self/fd with raw system calls (no allocation).
void CloseCloseOnExecDescriptors(int kept)
{
    const int directory = ::open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0) {
        return;  // then they stay open until the program ends
    }
    alignas(8) char entries[4096];
    for (;;) {
        const long length = ::syscall(SYS_getdents64, directory, entries, sizeof entries);
        if (length <= 0) {
            break;
        }
        for (long offset = 0; offset < length;) {
            // struct linux_dirent64: inode, offset, record length, type, name.
            const char* entry = entries + offset;
            unsigned short recordLength = 0;
            std::memcpy(&recordLength, entry + 16, sizeof recordLength);
            const char* name = entry + 19;
            int fd = 0;
            bool number = *name != '\0';
            for (const char* c = name; *c != '\0'; ++c) {
                number = number && *c >= '0' && *c <= '9';
                fd = fd * 10 + (*c - '0');
            }
            if (number && fd > STDERR_FILENO && fd != directory && fd != kept) {
                const int flags = ::fcntl(fd, F_GETFD);
                if (flags >= 0 && (flags & FD_CLOEXEC)) {
                    ::close(fd);
                }
            }
            offset += recordLength;
        }
    }
    ::close(directory);
}

// The helper: a copy of this process that starts the program, waits for it
// and ends with its exit code. The program's exit code could not be collected
// directly when the host lets the kernel reap its children (SIGCHLD ignored,
// SA_NOCLDWAIT): running a program makes its exit signal SIGCHLD again. The
// helper never runs a program, so it keeps the exit signal it was created
// with, none, and stays ours to collect.
[[noreturn]] void RunHelper(const ChildStart& start)
{
    ::prctl(PR_SET_NAME, kHelperName);
    // The host's handlers must not run in its copy; the helper must see its
    // program end (SIGCHLD not ignored), and the program must not inherit an
    // ignored SIGPIPE or SIGCHLD. The host's own dispositions are not touched.
    for (int number = 1; number < NSIG; ++number) {
        struct sigaction action;
        if (::sigaction(number, nullptr, &action) != 0) {
            continue;
        }
        if ((action.sa_handler != SIG_DFL && action.sa_handler != SIG_IGN) || number == SIGPIPE ||
            number == SIGCHLD) {
            action.sa_handler = SIG_DFL;
            action.sa_flags = 0;
            ::sigaction(number, &action, nullptr);
        }
    }
    // The program's three standard descriptors (the pipes all lie above them,
    // so none is overwritten before it is placed), the host's inheritable
    // ones, and the failure report until the program runs.
    if (!PlaceDescriptor(start.standardInput, STDIN_FILENO) ||
        !PlaceDescriptor(start.standardOutput, STDOUT_FILENO) ||
        !PlaceDescriptor(start.standardOutput, STDERR_FILENO)) {
        ReportFailure(start.failureReport, errno);
        ::_exit(127);
    }
    CloseCloseOnExecDescriptors(start.failureReport);

    const pid_t helper = ::getpid();
    const pid_t program = ::vfork();
    if (program == 0) {
        // Ends with the helper: a helper ended after its time-out takes its program along.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != helper) {
            ::_exit(127);
        }
        sigset_t noneBlocked;
        sigemptyset(&noneBlocked);
        ::sigprocmask(SIG_SETMASK, &noneBlocked, nullptr);
        // As execvp: a file that is missing lets the next one be tried; the
        // most telling error is reported.
        int error = ENOENT;
        for (char* candidate : start.candidates) {
            if (candidate == nullptr) {
                break;
            }
            ::execve(candidate, start.argv.data(), start.environment);
            if (errno != ENOENT && errno != ENOTDIR && error == ENOENT) {
                error = errno;
            }
        }
        ReportFailure(start.failureReport, error);
        ::_exit(127);
    }
    if (program < 0) {
        ReportFailure(start.failureReport, errno);
        ::_exit(127);
    }
    // Only the program holds the output now, so it ends when the program is done with it.
    ::close(start.failureReport);
    ::close(STDIN_FILENO);
    ::close(STDOUT_FILENO);
    ::close(STDERR_FILENO);
    int status = 0;
    while (::waitpid(program, &status, 0) < 0 && errno == EINTR) {
    }
    // A program ended by a signal reads as 128 plus its number, as below.
    ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 0);
}

// Starts `command` with standard input and both output streams on the given
// descriptors, through a helper created with no exit signal: the kernel never
// reaps it on its own, not even when the host ignores SIGCHLD or sets
// SA_NOCLDWAIT, so the exit code can always be collected (with __WALL); and a
// host waiting for "any child" never takes it from us. Returns 0 and the
// helper's process id, or the error number.
int StartChild(const std::string& command, const std::vector<std::string>& arguments, int standardInput,
               int standardOutput, pid_t* child)
{
    std::vector<std::string> candidates = ProgramCandidates(command);
    ChildStart start{};
    for (std::string& candidate : candidates) {
        start.candidates.push_back(&candidate[0]);
    }
    start.candidates.push_back(nullptr);
    start.argv.reserve(arguments.size() + 2);
    start.argv.push_back(const_cast<char*>(command.c_str()));
    for (const std::string& argument : arguments) {
        start.argv.push_back(const_cast<char*>(argument.c_str()));
    }
    start.argv.push_back(nullptr);
    start.environment = environ;
    start.standardInput = standardInput;
    start.standardOutput = standardOutput;

    ScopedDescriptor reportRead;
    ScopedDescriptor reportWrite;
    if (!CreatePipe(reportRead, reportWrite)) {
        return errno;
    }
    start.failureReport = reportWrite.Get();

    // No handler of the host may run in the helper before it has reset them.
    sigset_t all;
    sigfillset(&all);
    sigset_t previous;
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    // Like fork, but with no exit signal (the low byte of the flags).
    const long started = ::syscall(SYS_clone, 0L, nullptr, nullptr, nullptr, 0L);
    if (started == 0) {
        RunHelper(start);
    }
    const int cloneError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (started < 0) {
        return cloneError;
    }
    reportWrite.Close();

    // The report ends once the program runs (close-on-exec) or has failed to.
    int failure = 0;
    ssize_t reported;
    do {
        reported = ::read(reportRead.Get(), &failure, sizeof failure);
    } while (reported < 0 && errno == EINTR);
    if (reported == static_cast<ssize_t>(sizeof failure)) {
        int status = 0;
        while (::waitpid(static_cast<pid_t>(started), &status, __WALL) < 0 && errno == EINTR) {
        }
        return failure != 0 ? failure : ENOEXEC;
    }
    *child = static_cast<pid_t>(started);
    return 0;
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
        reaped = ::waitpid(child, &status, WNOHANG | __WALL);
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

// Milliseconds left until `deadline`, rounded up so that a fraction of a
// millisecond still waits; 0 once it has passed.
int MillisecondsUntil(std::chrono::steady_clock::time_point deadline)
{
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) {
        return 0;
    }
    const auto rounded = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<int64_t>(rounded, INT32_MAX));
}

std::chrono::steady_clock::time_point DeadlineAfter(int64_t milliseconds)
{
    // Far enough for any time-out the module uses, and safe from overflow.
    const int64_t bounded = std::min<int64_t>(std::max<int64_t>(milliseconds, 0), int64_t{1} << 40);
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(bounded);
}

// Waits until `deadline` at most for the child to end and collects it.
// Returns false when the time ran out; the child is then left running and
// not collected.
bool WaitForExit(pid_t child, std::chrono::steady_clock::time_point deadline, int* exitCode)
{
    ScopedDescriptor process;
    process.Reset(static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));
    if (process.Get() < 0) {
        return PollForExit(child, deadline, exitCode);
    }
    for (;;) {
        if (ReapIfEnded(child, exitCode)) {
            return true;
        }
        const int left = MillisecondsUntil(deadline);
        if (left == 0) {
            return false;
        }
        pollfd ended{process.Get(), POLLIN, 0};
        const int result = ::poll(&ended, 1, left);
        if (result < 0 && errno != EINTR) {
            return PollForExit(child, deadline, exitCode);
        }
    }
}

enum class ReadEnd { kEndOfData, kTimedOut, kFailed };

// Appends what `fd` delivers to `contents` until its end, a read error or
// `deadline` (none: no limit). What was read stays in `contents` in every case.
ReadEnd ReadUntil(int fd, const std::chrono::steady_clock::time_point* deadline, std::string& contents,
                  int* error)
{
    char buffer[kReadChunkBytes];
    for (;;) {
        if (deadline != nullptr) {
            pollfd readable{fd, POLLIN, 0};
            const int ready = ::poll(&readable, 1, MillisecondsUntil(*deadline));
            if (ready == 0) {
                return ReadEnd::kTimedOut;
            }
            if (ready < 0 && errno != EINTR) {
                *error = errno;
                return ReadEnd::kFailed;
            }
            if (ready < 0) {
                continue;
            }
        }
        const ssize_t transferred = ::read(fd, buffer, sizeof buffer);
        if (transferred > 0) {
            contents.append(buffer, static_cast<size_t>(transferred));
            continue;
        }
        if (transferred == 0) {
            return ReadEnd::kEndOfData;
        }
        if (errno != EINTR) {
            *error = errno;
            return ReadEnd::kFailed;
        }
    }
}

void LogReadFailure(const std::string& name, int error)
{
    OPN_LOG(1) << "GetFileContents failed to read file" << name;
    OPN_LOG(4) << ErrorText(error);
}

// Ends a child that outlived its time and the list that kept it, and collects it.
const int64_t kEndedChildWaitMilliseconds = 5000;

}  // namespace

TimedOutChildren::~TimedOutChildren()
{
    CollectEnded();
    for (const Child& child : m_children_) {
        const pid_t pid = static_cast<pid_t>(child.processId);
        // Still our unreaped child, so the id cannot have passed to another process.
        ::kill(pid, SIGKILL);
        int exitCode = 0;
        if (WaitForExit(pid, DeadlineAfter(kEndedChildWaitMilliseconds), &exitCode)) {
            OPN_LOG(3) << "SpawnProcess() " << child.commandLine << " ended after its time-out";
        } else {
            OPN_LOG(1) << "SpawnProcess() " << child.commandLine << " did not end after its time-out, process "
                       << pid;
        }
    }
    m_children_.clear();
}

void TimedOutChildren::Add(long processId, const std::string& commandLine)
{
    m_children_.push_back(Child{processId, commandLine});
}

void TimedOutChildren::CollectEnded()
{
    std::vector<Child> running;
    for (Child& child : m_children_) {
        int exitCode = 0;
        if (ReapIfEnded(static_cast<pid_t>(child.processId), &exitCode)) {
            OPN_LOG(3) << "SpawnProcess() " << child.commandLine << " collected after its time-out, exit code = "
                       << static_cast<unsigned int>(exitCode);
        } else {
            running.push_back(std::move(child));
        }
    }
    m_children_.swap(running);
}

int SpawnProcess(const std::string& command, const std::vector<std::string>& arguments, int timeoutSeconds,
                 std::string* output, TimedOutChildren* timedOut)
{
    if (timedOut != nullptr) {
        timedOut->CollectEnded();
    }
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

    const int64_t waitMilliseconds = ChildWaitMilliseconds(static_cast<int64_t>(timeoutSeconds) * 1000);
    int exitCode = kStillActive;
    bool collected = false;
    // Only the child (and what it passes the descriptor on to) may hold the
    // write end now, so the output ends when they are done with it.
    if (!outputWrite.Close()) {
        OPN_LOG(1) << "CloseHandle failed";
        exitCode = -1;
    } else {
        // Read before waiting: a child that writes more than the pipe holds
        // must not block on it while we wait for its exit. The read has the
        // same bound as the wait: a child, or a grandchild it left the output
        // to, that never closes it must not hold the caller for ever.
        const auto readDeadline = DeadlineAfter(waitMilliseconds);
        std::string contents;
        int readError = 0;
        const ReadEnd end = ReadUntil(outputRead.Get(), &readDeadline, contents, &readError);
        if (end == ReadEnd::kFailed) {
            LogReadFailure("", readError);
        }
        *output = std::move(contents);
        OPN_LOG(3) << "SpawnProcess() " << commandLine << " Returned:" << *output;
        outputRead.Close();

        if (end != ReadEnd::kTimedOut) {
            collected = WaitForExit(child, DeadlineAfter(waitMilliseconds), &exitCode);
        }
        if (!collected) {
            exitCode = kStillActive;
        }
        OPN_LOG(3) << "SpawnProcess() " << commandLine << " exit code = " << static_cast<unsigned int>(exitCode);
    }
    if (!collected && timedOut != nullptr) {
        timedOut->Add(child, commandLine);
    }
    return exitCode;
}

std::string GetFileContents(int handle, const std::string& name)
{
    std::string contents;
    int error = 0;
    if (ReadUntil(handle, nullptr, contents, &error) == ReadEnd::kFailed) {
        LogReadFailure(name, error);
    }
    return contents;
}

}  // namespace OsSpecific
}  // namespace Quillet
