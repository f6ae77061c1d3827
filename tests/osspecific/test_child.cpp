// A child for the process-layer tests: does one thing the test asks for by
// its first argument, with unbuffered writes so the order on the pipe is the
// order written.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

void WriteAll(int fd, const std::string& text)
{
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(fd, text.data() + written, text.size() - written);
        if (count <= 0) {
            std::exit(90);
        }
        written += static_cast<size_t>(count);
    }
}

// One bracketed line per argument, so blanks and empty arguments show.
int EchoArguments(int argc, char** argv)
{
    std::string text;
    for (int i = 2; i < argc; ++i) {
        text += "[" + std::string(argv[i]) + "]\n";
    }
    WriteAll(STDOUT_FILENO, text);
    return 0;
}

// `count` numbered blocks of `size` bytes, even ones on standard output and
// odd ones on standard error.
int Interleave(int count, int size)
{
    for (int block = 0; block < count; ++block) {
        std::string text = (block % 2 == 0 ? "out " : "err ") + std::to_string(block) + " ";
        text.resize(static_cast<size_t>(size) - 1, static_cast<char>('a' + block % 26));
        text += '\n';
        WriteAll(block % 2 == 0 ? STDOUT_FILENO : STDERR_FILENO, text);
    }
    return 0;
}

// How much the child could read from its standard input.
int ReadInput()
{
    char buffer[256];
    size_t total = 0;
    ssize_t count;
    while ((count = ::read(STDIN_FILENO, buffer, sizeof buffer)) > 0) {
        total += static_cast<size_t>(count);
    }
    WriteAll(STDOUT_FILENO, "stdin bytes: " + std::to_string(total) + (count < 0 ? " error" : "") + "\n");
    return 0;
}

// Descriptors open in the child besides the three standard ones (and the one
// that lists them).
int CountExtraDescriptors()
{
    int extra = -1;  // the directory listing's own descriptor
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::atoi(entry.path().filename().c_str());
        if (fd > STDERR_FILENO) {
            ++extra;
        }
    }
    WriteAll(STDOUT_FILENO, "extra descriptors: " + std::to_string(extra) + "\n");
    return 0;
}

// Leaves its process id in `pidFile`, closes its output and runs on.
int Detach(const char* pidFile, int seconds)
{
    {
        std::ofstream file(pidFile);
        file << ::getpid() << "\n";
    }
    WriteAll(STDOUT_FILENO, "detaching\n");
    ::close(STDOUT_FILENO);
    ::close(STDERR_FILENO);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "args") {
        return EchoArguments(argc, argv);
    }
    if (mode == "exit" && argc > 2) {
        return std::atoi(argv[2]);
    }
    if (mode == "interleave" && argc > 3) {
        return Interleave(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (mode == "stdin") {
        return ReadInput();
    }
    if (mode == "fds") {
        return CountExtraDescriptors();
    }
    if (mode == "signal" && argc > 2) {
        ::signal(std::atoi(argv[2]), SIG_DFL);
        ::raise(std::atoi(argv[2]));
        return 91;
    }
    if (mode == "detach" && argc > 3) {
        return Detach(argv[2], std::atoi(argv[3]));
    }
    std::fprintf(stderr, "test_child: unknown request '%s'\n", mode.c_str());
    return 92;
}
