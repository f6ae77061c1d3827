// The platform layer on Windows: child processes through anonymous pipes,
// handle reads, file attributes and the module's own file.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "opn_logging.h"
#include "osspecific.h"
#include "osspecific_text.h"

namespace Quillet {
namespace OsSpecific {
namespace {

const DWORD kReadChunkBytes = 4096;
const DWORD kModulePathCapacity = MAX_PATH;  // 260, terminator included

// A constant of this module: the memory region holding it belongs to the
// module's image, whose allocation base is the module handle.
const char kSelfModuleMarker[] = "quillet osspecific";

// Owns one kernel handle; closes it when it goes out of scope.
class ScopedHandle {
public:
    ScopedHandle() = default;
    ~ScopedHandle() { Close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE Get() const { return m_handle_; }
    void Reset(HANDLE handle)
    {
        Close();
        m_handle_ = handle;
    }
    // Closes the handle now; false when the system refused.
    bool Close()
    {
        if (m_handle_ == nullptr) {
            return true;
        }
        const BOOL closed = CloseHandle(m_handle_);
        m_handle_ = nullptr;
        return closed != FALSE;
    }

private:
    HANDLE m_handle_ = nullptr;
};

// An anonymous pipe of the default size whose two ends the child may inherit.
bool CreateInheritablePipe(ScopedHandle& readEnd, ScopedHandle& writeEnd)
{
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.bInheritHandle = TRUE;
    HANDLE readHandle = nullptr;
    HANDLE writeHandle = nullptr;
    if (!CreatePipe(&readHandle, &writeHandle, &attributes, 0)) {
        return false;
    }
    readEnd.Reset(readHandle);
    writeEnd.Reset(writeHandle);
    return true;
}

// Replaces `end` by a non-inheritable duplicate, so that the caller's own pipe
// end stays out of the child and the child's exit ends the pipe.
bool KeepOutOfChild(ScopedHandle& end)
{
    HANDLE duplicate = nullptr;
    const HANDLE self = GetCurrentProcess();
    if (!DuplicateHandle(self, end.Get(), self, &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        return false;
    }
    end.Reset(duplicate);
    return true;
}

// The system's text for an error code, without the line end it carries.
std::string SystemErrorText(DWORD error)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message;
    if (length != 0 && text != nullptr) {
        message.assign(text, length);
    }
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message;
}

HANDLE HandleFromInt(int handle)
{
    // Kernel handles carry 32 significant bits, sign-extended on 64-bit Windows.
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle));
}

int SpawnFailed(const char* message)
{
    OPN_LOG(1) << message;
    return -1;
}

void LogReadFailure(const std::string& name, DWORD error)
{
    OPN_LOG(1) << "GetFileContents failed to read file" << name;
    OPN_LOG(4) << SystemErrorText(error);
}

// Reads the child's output pipe to its end, or until `milliseconds` have
// passed: anonymous pipes know no overlapped reads, so the pipe is looked at
// after short real pauses (not the module's pauses) and only what is there is
// read. Returns false when the time ran out; what was read stays in `contents`.
bool ReadPipeWithin(HANDLE pipe, int64_t milliseconds, std::string& contents)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::vector<char> buffer(kReadChunkBytes);
    std::chrono::milliseconds pause(1);
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            const DWORD error = GetLastError();
            // The writers have all gone: the end of the output.
            if (error != ERROR_BROKEN_PIPE) {
                LogReadFailure("", error);
            }
            return true;
        }
        if (available > 0) {
            DWORD transferred = 0;
            const DWORD wanted = std::min<DWORD>(available, kReadChunkBytes);
            if (!ReadFile(pipe, buffer.data(), wanted, &transferred, nullptr)) {
                const DWORD error = GetLastError();
                if (error != ERROR_BROKEN_PIPE) {
                    LogReadFailure("", error);
                }
                return true;
            }
            contents.append(buffer.data(), transferred);
            pause = std::chrono::milliseconds(1);
            continue;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        // Short enough that the end of a tool's output is seen at once.
        pause = std::min(pause * 2, std::chrono::milliseconds(10));
    }
}

}  // namespace

// Windows children vanish once their handles are closed: nothing to collect.
TimedOutChildren::~TimedOutChildren() = default;

void TimedOutChildren::Add(long processId, const std::string& commandLine)
{
    m_children_.push_back(Child{processId, commandLine});
}

void TimedOutChildren::CollectEnded()
{
    m_children_.clear();
}

int SpawnProcess(const std::string& command, const std::vector<std::string>& arguments, int timeoutSeconds,
                 std::string* output, TimedOutChildren* /*timedOut: nothing to collect here*/)
{
    const std::string commandLine = BuildCommandLine(command, arguments);

    ScopedHandle outputRead;
    ScopedHandle outputWrite;
    if (!CreateInheritablePipe(outputRead, outputWrite)) {
        return SpawnFailed("stdout pipe creation failed");
    }
    if (!KeepOutOfChild(outputRead)) {
        return SpawnFailed("stdout DuplicateHandle failed");
    }
    ScopedHandle inputRead;
    ScopedHandle inputWrite;
    if (!CreateInheritablePipe(inputRead, inputWrite)) {
        return SpawnFailed("stdin pipe creation failed");
    }
    if (!KeepOutOfChild(inputWrite)) {
        return SpawnFailed("stdin DuplicateHandle failed");
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead.Get();
    startup.hStdOutput = outputWrite.Get();
    startup.hStdError = outputWrite.Get();
    PROCESS_INFORMATION child{};
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::vector<char> mutableCommandLine(commandLine.begin(), commandLine.end());
    mutableCommandLine.push_back('\0');
    if (!CreateProcessA(nullptr, mutableCommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &child)) {
        return SpawnFailed("CreateProcess Failed");
    }
    ScopedHandle process;
    process.Reset(child.hProcess);
    ScopedHandle thread;
    thread.Reset(child.hThread);

    // Only the child (and what it passes the handle on to) may hold the write
    // end now, so the output ends when they are done with it.
    if (!outputWrite.Close()) {
        return SpawnFailed("CloseHandle failed");
    }

    // Read before waiting: a child that writes more than the pipe holds must
    // not block on it while we wait for its exit. The read has the same bound
    // as the wait: a child, or a grandchild it left the handle to, that never
    // closes it must not hold the caller for ever.
    const int64_t waitMilliseconds = ChildWaitMilliseconds(static_cast<int64_t>(timeoutSeconds) * 1000);
    std::string contents;
    const bool outputEnded = ReadPipeWithin(outputRead.Get(), waitMilliseconds, contents);
    *output = std::move(contents);
    OPN_LOG(3) << "SpawnProcess() " << commandLine << " Returned:" << *output;
    outputRead.Close();

    DWORD exitCode = kStillActive;
    if (outputEnded) {
        const int64_t bounded = std::min<int64_t>(std::max<int64_t>(waitMilliseconds, 0), INFINITE - 1);
        WaitForSingleObject(process.Get(), static_cast<DWORD>(bounded));
        exitCode = 0;
        GetExitCodeProcess(process.Get(), &exitCode);
    }
    OPN_LOG(3) << "SpawnProcess() " << commandLine << " exit code = " << exitCode;
    return static_cast<int>(exitCode);
}

std::string GetFileContents(int handle, const std::string& name)
{
    std::string contents;
    std::vector<char> buffer(kReadChunkBytes);
    for (;;) {
        DWORD transferred = 0;
        const BOOL read = ReadFile(HandleFromInt(handle), buffer.data(), kReadChunkBytes, &transferred, nullptr);
        if (read || transferred == 0) {
            // A pipe whose writer has gone reports a failed read of 0 bytes: the end.
            if (transferred == 0) {
                return contents;
            }
            contents.append(buffer.data(), transferred);
            continue;
        }
        LogReadFailure(name, GetLastError());
        return contents;
    }
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        OPN_LOG(4) << "INVALID_FILE_ATTRIBUTES";
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        OPN_LOG(4) << "FILE_ATTRIBUTE_DIRECTORY";
        return false;
    }
    return true;
}

ModuleHandle GetSelfModuleHandle()
{
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(kSelfModuleMarker, &region, sizeof region) == 0) {
        return nullptr;
    }
    return region.AllocationBase;
}

std::string GetModuleDirectory(ModuleHandle module)
{
    char path[kModulePathCapacity];
    const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(module), path, kModulePathCapacity);
    if (length == 0) {
        return std::string();
    }
    return DirectoryOfPath(std::string(path, length), '\\');
}

}  // namespace OsSpecific
}  // namespace Quillet
