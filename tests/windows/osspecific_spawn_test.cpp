// SpawnProcess with real children: a test program and batch files run by cmd.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interleaved_blocks.h"
#include "log.h"
#include "osspecific.h"
#include "windows_test_support.h"

namespace {

using Quillet::LogCapture;
using Quillet::OsSpecific::SpawnProcess;
using QuilletWindowsTests::BuiltFile;
using QuilletWindowsTests::ScratchDirectory;

const int kModuleTimeoutSeconds = 100;

std::string Child()
{
    return BuiltFile("spawn_child.exe");
}

TEST(SpawnProcessTest, SilentChildGivesEmptyOutputAndBothProgressMessages)
{
    LogCapture log;
    std::string output = "left over";
    const unsigned handlesBefore = QuilletWindowsTests::CountOpenHandles();
    EXPECT_EQ(0, SpawnProcess(Child(), {"exit", "0"}, kModuleTimeoutSeconds, &output));
    EXPECT_EQ(handlesBefore, QuilletWindowsTests::CountOpenHandles()) << "pipe or process handles left open";
    EXPECT_EQ("", output);
    const std::string commandLine = Child() + " \"exit\" \"0\"";
    EXPECT_EQ(1u, log.Count(3, "SpawnProcess() " + commandLine + " Returned:"));
    EXPECT_EQ(1u, log.Count(3, "SpawnProcess() " + commandLine + " exit code = 0"));
}

TEST(SpawnProcessTest, MergesBothStreamsBeyondOneReadChunkInWrittenOrder)
{
    const int blocks = 24;
    const int blockSize = 700;  // 16,800 bytes: several 4096-byte reads
    std::string expected;
    for (int index = 0; index < blocks; ++index) {
        expected += QuilletWindowsTests::InterleavedBlock(index, blockSize);
    }
    std::string output;
    EXPECT_EQ(0, SpawnProcess(Child(), {"interleave", std::to_string(blocks), std::to_string(blockSize)},
                              kModuleTimeoutSeconds, &output));
    EXPECT_EQ(expected.size(), output.size());
    EXPECT_TRUE(expected == output) << "output differs from the blocks written, in order";
}

TEST(SpawnProcessTest, ReturnsTheChildsExitCodeAndLogsItUnsigned)
{
    LogCapture log;
    std::string output;
    EXPECT_EQ(3, SpawnProcess(Child(), {"exit", "3"}, kModuleTimeoutSeconds, &output));
    EXPECT_EQ(1u, log.Count(3, "SpawnProcess() " + Child() + " \"exit\" \"3\" exit code = 3"));

    // An NTSTATUS-style code: the log shows it unsigned, the caller gets the same bits.
    EXPECT_EQ(static_cast<int>(0xC0000005u), SpawnProcess(Child(), {"exit", "3221225477"}, kModuleTimeoutSeconds, &output));
    EXPECT_TRUE(log.AnyContains(" exit code = 3221225477"));
}

TEST(SpawnProcessTest, MissingProgramIsNotStartedAndLeavesNoHandleOpen)
{
    ScratchDirectory scratch;
    std::string output = "untouched";
    LogCapture log;
    const unsigned handlesBefore = QuilletWindowsTests::CountOpenHandles();
    EXPECT_EQ(-1, SpawnProcess(scratch.Path() + "\\no-such-tool.exe", {"status"}, kModuleTimeoutSeconds, &output));
    EXPECT_EQ(handlesBefore, QuilletWindowsTests::CountOpenHandles());
    EXPECT_EQ("untouched", output);
    EXPECT_EQ(std::vector<std::string>{"CreateProcess Failed"}, log.Messages(1));
    EXPECT_TRUE(log.Messages(3).empty());
}

TEST(SpawnProcessTest, ChildRunningPastTheTimeoutGives259AndKeepsRunning)
{
    std::string output;
    EXPECT_EQ(Quillet::OsSpecific::kStillActive, SpawnProcess(Child(), {"linger", "60000"}, 1, &output));

    const DWORD childId = std::stoul(output);
    HANDLE child = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, childId);
    ASSERT_NE(nullptr, child) << "child " << childId << " is gone";
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(child, &code));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), code);
    TerminateProcess(child, 0);
    WaitForSingleObject(child, INFINITE);
    CloseHandle(child);
}

TEST(SpawnProcessTest, ChildHoldingItsOutputPastTheTimeoutGives259WithWhatItPrinted)
{
    std::vector<int64_t> requested;
    Quillet::OsSpecific::ScopedChildWaitObserver shortWait([&requested](int64_t milliseconds) {
        requested.push_back(milliseconds);
        return int64_t{300};
    });
    std::string output;
    EXPECT_EQ(Quillet::OsSpecific::kStillActive, SpawnProcess(Child(), {"hold", "60000"}, 100, &output));
    EXPECT_EQ(std::vector<int64_t>{100000}, requested);

    const DWORD childId = std::stoul(output);
    HANDLE child = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, childId);
    ASSERT_NE(nullptr, child) << "child " << childId << " is gone";
    TerminateProcess(child, 0);
    WaitForSingleObject(child, INFINITE);
    CloseHandle(child);
}

TEST(SpawnProcessTest, QuotesEveryArgumentSoSpacesAndEmptyArgumentsArrive)
{
    LogCapture log;
    std::string output;
    EXPECT_EQ(0, SpawnProcess(Child(), {"args", "two words", "", "last"}, kModuleTimeoutSeconds, &output));
    EXPECT_EQ("<two words>\n<>\n<last>\n", output);
    EXPECT_TRUE(log.AnyContains(Child() + " \"args\" \"two words\" \"\" \"last\" Returned:"));

    // Quotes inside an argument are passed on as they are, not escaped.
    SpawnProcess(Child(), {"args", "say \"hi\""}, kModuleTimeoutSeconds, &output);
    EXPECT_TRUE(log.AnyContains(Child() + " \"args\" \"say \"hi\"\" exit code = 0"));
}

TEST(SpawnProcessTest, BatchFileRunsThroughCmdWithArgumentsOutputAndExitCode)
{
    ScratchDirectory scratch;
    const std::string batch = scratch.WriteFile("tool.bat",
                                                "@echo off\r\n"
                                                "echo got %~1 %~2\r\n"
                                                "echo to stderr 1>&2\r\n"
                                                "exit /b 3\r\n");
    std::string output;
    EXPECT_EQ(3, SpawnProcess(batch, {"-d", "mt4103_pci_cr0"}, kModuleTimeoutSeconds, &output));
    EXPECT_EQ("got -d mt4103_pci_cr0\r\nto stderr \r\n", output);
}

TEST(SpawnProcessTest, PathWithDoubledBackslashRunsTheProgram)
{
    // The tools' paths join a directory ending in a backslash to a relative
    // path starting with one.
    ScratchDirectory scratch;
    const std::string batch = scratch.WriteFile("WinMFT\\mdevices.bat", "@echo MST devices:\r\n");
    const std::string doubled = scratch.Path() + "\\\\WinMFT\\mdevices.bat";
    std::string output;
    EXPECT_EQ(0, SpawnProcess(doubled, {"status"}, kModuleTimeoutSeconds, &output));
    EXPECT_EQ("MST devices:\r\n", output);
}

}  // namespace
