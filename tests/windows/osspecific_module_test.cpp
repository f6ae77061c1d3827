// GetSelfModuleHandle and GetModuleDirectory in a program and in a DLL.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "osspecific.h"
#include "windows_test_support.h"

namespace {

using Quillet::OsSpecific::FileExists;
using Quillet::OsSpecific::GetModuleDirectory;
using Quillet::OsSpecific::GetSelfModuleHandle;
using QuilletWindowsTests::BuiltFile;
using QuilletWindowsTests::TestProgramDirectory;

// An exported function of a loaded DLL, typed; null when it is absent.
template <typename Function>
Function Export(HMODULE module, const char* name)
{
    // Through void(*)(), which any function pointer type converts from without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

TEST(ModuleDirectoryTest, InAProgramTheSelfModuleIsTheProgram)
{
    EXPECT_EQ(static_cast<void*>(GetModuleHandleA(nullptr)), GetSelfModuleHandle());
    EXPECT_EQ(TestProgramDirectory(), GetModuleDirectory(GetSelfModuleHandle()));
}

TEST(ModuleDirectoryTest, InADllTheSelfModuleIsTheDllAndItsDirectoryEndsInABackslash)
{
    HMODULE probe = LoadLibraryA(BuiltFile("windows_module_probe.dll").c_str());
    ASSERT_NE(nullptr, probe);
    using HandleProbe = void* (*)();
    using DirectoryProbe = int (*)(char*, int);
    auto selfHandle = Export<HandleProbe>(probe, "ProbeSelfModuleHandle");
    auto selfDirectory = Export<DirectoryProbe>(probe, "ProbeSelfModuleDirectory");
    ASSERT_NE(nullptr, selfHandle);
    ASSERT_NE(nullptr, selfDirectory);

    EXPECT_EQ(static_cast<void*>(probe), selfHandle());
    char directory[MAX_PATH + 1] = {};
    ASSERT_GT(selfDirectory(directory, sizeof directory), 0);
    const std::string text = directory;
    EXPECT_EQ('\\', text.back());
    EXPECT_TRUE(FileExists(text + "windows_module_probe.dll"));
    FreeLibrary(probe);
}

TEST(ModuleDirectoryTest, UnknownModuleGivesEmptyText)
{
    static const char notAModule[] = "data, not an image";
    EXPECT_EQ("", GetModuleDirectory(const_cast<char*>(notAModule)));
}

}  // namespace
