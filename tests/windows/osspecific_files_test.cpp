// FileExists and GetFileContents against real files and pipes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "log.h"
#include "osspecific.h"
#include "windows_test_support.h"

namespace {

using Quillet::LogCapture;
using Quillet::OsSpecific::FileExists;
using Quillet::OsSpecific::GetFileContents;
using QuilletWindowsTests::ScratchDirectory;

int AsInt(HANDLE handle)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

TEST(FileExistsTest, ExistingFileIsTrueAndLogsNothing)
{
    ScratchDirectory scratch;
    const std::string file = scratch.WriteFile("WinMFT\\flint.bat", "@echo off\r\n");
    LogCapture log;
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(scratch.Path() + "\\\\WinMFT\\flint.bat"));
    EXPECT_TRUE(log.Records().empty());
}

TEST(FileExistsTest, DirectoryIsFalseWithItsAttributeMessage)
{
    ScratchDirectory scratch;
    const std::string directory = scratch.MakeDirectory("WinMFT\\flint.bat");
    LogCapture log;
    EXPECT_FALSE(FileExists(directory));
    EXPECT_EQ(1u, log.Count(4, "FILE_ATTRIBUTE_DIRECTORY"));
}

TEST(FileExistsTest, MissingPathIsFalseWithInvalidAttributesMessage)
{
    ScratchDirectory scratch;
    LogCapture log;
    EXPECT_FALSE(FileExists(scratch.Path() + "\\utilities\\mellanox\\WinMFT\\mdevices.exe"));
    EXPECT_EQ(1u, log.Count(4, "INVALID_FILE_ATTRIBUTES"));
}

TEST(GetFileContentsTest, ReadsAFileLongerThanOneChunkToItsEnd)
{
    ScratchDirectory scratch;
    std::string contents;
    for (int line = 0; line < 1000; ++line) {
        contents += "line " + std::to_string(line) + "\r\n";
    }
    const std::string file = scratch.WriteFile("query.txt", contents);
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    EXPECT_EQ(contents, GetFileContents(AsInt(handle), "query.txt"));
    CloseHandle(handle);
}

TEST(GetFileContentsTest, FailedReadKeepsEarlierBytesAndLogsNameAndSystemText)
{
    // A message-mode pipe fails a read whose message is larger than the
    // buffer, after filling the buffer: a read error that transferred bytes.
    const std::string pipeName = "\\\\.\\pipe\\quillet-contents-" + std::to_string(GetCurrentProcessId());
    HANDLE server = CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE,
                                     1, 0, 65536, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, server);
    HANDLE client = CreateFileA(pipeName.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, client);
    const std::string first_message = "first message";
    const std::string large(5000, 'x');
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(client, first_message.data(), static_cast<DWORD>(first_message.size()), &written, nullptr));
    ASSERT_TRUE(WriteFile(client, large.data(), static_cast<DWORD>(large.size()), &written, nullptr));

    LogCapture log;
    EXPECT_EQ(first_message, GetFileContents(AsInt(server), "pipe-name"));
    EXPECT_EQ(1u, log.Count(1, "GetFileContents failed to read file" + std::string("pipe-name")));
    ASSERT_EQ(1u, log.Messages(4).size());
    EXPECT_FALSE(log.Messages(4)[0].empty()) << "the system's text for the error";
    CloseHandle(client);
    CloseHandle(server);
}

}  // namespace
