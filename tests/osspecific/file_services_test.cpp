// FileExists, GetFileContents and the module's own directory against real
// files, descriptors and loaded objects.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "log.h"
#include "module_probe.h"
#include "osspecific.h"
#include "osspecific_text.h"
#include "scoped_temp_directory.h"

namespace {

using Quillet::LogCapture;
using namespace Quillet::OsSpecific;
namespace fs = std::filesystem;

TEST(FileExists, TrueForAFileOrALinkToOneWithoutAnyMessage)
{
    QuilletTest::ScopedTempDirectory directory;
    const fs::path file = directory.WriteFile("tool.exe", "x");
    fs::create_symlink(file, directory.Path() / "link.exe");
    LogCapture capture(4);
    EXPECT_TRUE(FileExists(file.string()));
    EXPECT_TRUE(FileExists((directory.Path() / "link.exe").string()));
    // Doubled separators are read as one, as the tool locator relies on.
    EXPECT_TRUE(FileExists(directory.Path().string() + "//tool.exe"));
    EXPECT_TRUE(capture.Records().empty());
}

TEST(FileExists, FalseForADirectoryWithItsMessage)
{
    QuilletTest::ScopedTempDirectory directory;
    LogCapture capture(4);
    EXPECT_FALSE(FileExists(directory.Path().string()));
    EXPECT_EQ(capture.Messages(), std::vector<std::string>{"FILE_ATTRIBUTE_DIRECTORY"});
    EXPECT_EQ(capture.Count(4, "FILE_ATTRIBUTE_DIRECTORY"), 1u);
}

TEST(FileExists, FalseForAMissingPathWithItsMessage)
{
    QuilletTest::ScopedTempDirectory directory;
    fs::create_symlink(directory.Path() / "gone", directory.Path() / "dangling");
    for (const std::string& path :
         {(directory.Path() / "missing").string(), (directory.Path() / "dangling").string(), std::string()}) {
        SCOPED_TRACE(path);
        LogCapture capture(4);
        EXPECT_FALSE(FileExists(path));
        EXPECT_EQ(capture.Messages(), std::vector<std::string>{"INVALID_FILE_ATTRIBUTES"});
        EXPECT_EQ(capture.Count(4, "INVALID_FILE_ATTRIBUTES"), 1u);
    }
}

TEST(GetFileContents, ReadsEveryByteOfAFileInOrder)
{
    QuilletTest::ScopedTempDirectory directory;
    std::string contents;
    for (int i = 0; i < 3000; ++i) {
        contents += std::to_string(i) + (i % 7 == 0 ? std::string(1, '\0') : "\r\n");
    }
    ASSERT_GT(contents.size(), 3u * 4096u);
    const fs::path file = directory.WriteFile("data.bin", contents);
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(GetFileContents(fd, "data.bin"), contents);
    EXPECT_EQ(GetFileContents(fd, "data.bin"), "") << "a second read starts at the end";
    ::close(fd);
}

TEST(GetFileContents, ReadErrorIsLoggedWithTheNameAndTheSystemsText)
{
    QuilletTest::ScopedTempDirectory directory;
    const int fd = ::open(directory.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    LogCapture capture(4);
    EXPECT_EQ(GetFileContents(fd, "some name"), "");
    ::close(fd);
    EXPECT_EQ(capture.Messages(1), std::vector<std::string>{"GetFileContents failed to read filesome name"});
    EXPECT_EQ(capture.Messages(4), std::vector<std::string>{"Is a directory"});
}

std::string CanonicalDirectory(const std::string& directory)
{
    return fs::canonical(directory).string() + "/";
}

TEST(GetModuleDirectory, SharedLibraryGivesItsDirectoryWithTheTrailingSeparator)
{
    const std::string directory = ProbeModuleDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '/');
    EXPECT_EQ(CanonicalDirectory(directory), CanonicalDirectory(OSSPECIFIC_PROBE_DIRECTORY));
    EXPECT_TRUE(fs::exists(directory + OSSPECIFIC_PROBE_FILE_NAME));
}

TEST(GetModuleDirectory, ProgramGivesTheDirectoryOfItsOwnFile)
{
    const std::string directory = GetModuleDirectory(GetSelfModuleHandle());
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '/');
    EXPECT_EQ(CanonicalDirectory(directory), CanonicalDirectory(OSSPECIFIC_TEST_DIRECTORY));
}

TEST(GetModuleDirectory, AnyLoadedLibraryByItsHandle)
{
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&std::fopen), &info), 0);
    const std::string directory = GetModuleDirectory(info.dli_fbase);
    const std::string file = info.dli_fname;
    EXPECT_EQ(directory, file.substr(0, file.rfind('/') + 1));
}

TEST(GetModuleDirectory, DirectoryPartKeepsTheLastSeparatorOrTheWholePathWithoutOne)
{
    EXPECT_EQ(DirectoryOfPath("/opt/quillet/lib/libquillet_mellanox.so", '/'), "/opt/quillet/lib/");
    EXPECT_EQ(DirectoryOfPath("C:\\Quillet\\Modules\\quillet_mellanox.dll", '\\'), "C:\\Quillet\\Modules\\");
    EXPECT_EQ(DirectoryOfPath("libquillet_mellanox.so", '/'), "libquillet_mellanox.so");
    EXPECT_EQ(DirectoryOfPath("/", '/'), "/");
}

TEST(GetModuleDirectory, NoModuleGivesNothing)
{
    EXPECT_EQ(GetModuleDirectory(nullptr), "");
}

}  // namespace
