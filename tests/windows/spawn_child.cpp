// A child for the process tests; its arguments choose what it prints and how it ends:
//   spawn_child args A B ...       prints each argument as <A> on a line of its own
//   spawn_child exit CODE          exits with CODE (unsigned decimal)
//   spawn_child interleave N SIZE  writes N blocks of SIZE bytes, alternately to stdout and stderr
//   spawn_child linger MS          prints its process id, closes its output, then sleeps MS
//   spawn_child hold MS            prints its process id, keeps its output open and sleeps MS
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "interleaved_blocks.h"

namespace {

unsigned long ArgumentNumber(int argc, char** argv, int index)
{
    return index < argc ? std::strtoul(argv[index], nullptr, 10) : 0;
}

int PrintArguments(int argc, char** argv)
{
    for (int index = 2; index < argc; ++index) {
        std::printf("<%s>\n", argv[index]);
    }
    return 0;
}

int Interleave(int blocks, int size)
{
    for (int index = 0; index < blocks; ++index) {
        const std::string block = QuilletWindowsTests::InterleavedBlock(index, size);
        std::FILE* stream = index % 2 == 0 ? stdout : stderr;
        std::fwrite(block.data(), 1, block.size(), stream);
        std::fflush(stream);
    }
    return 0;
}

int Linger(unsigned long milliseconds, bool keepOutput)
{
    std::printf("%lu", GetCurrentProcessId());
    std::fflush(stdout);
    if (!keepOutput) {
        // Standard output and standard error share one inherited pipe handle.
        CloseHandle(GetStdHandle(STD_OUTPUT_HANDLE));
    }
    Sleep(milliseconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // Bytes pass unchanged: no "\n" to "\r\n" translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "args") {
        return PrintArguments(argc, argv);
    }
    if (mode == "exit") {
        ExitProcess(static_cast<UINT>(ArgumentNumber(argc, argv, 2)));
    }
    if (mode == "interleave") {
        return Interleave(static_cast<int>(ArgumentNumber(argc, argv, 2)), static_cast<int>(ArgumentNumber(argc, argv, 3)));
    }
    if (mode == "linger" || mode == "hold") {
        return Linger(ArgumentNumber(argc, argv, 2), mode == "hold");
    }
    std::fprintf(stderr, "spawn_child: unknown mode '%s'\n", mode.c_str());
    return 2;
}
