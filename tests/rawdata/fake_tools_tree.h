#pragma once
#include <filesystem>
#include <string>

#include "scoped_temp_directory.h"

namespace QuilletTest {

// Where the build laid out the fake vendor tools, and the bundled fixture.
const std::string kFakeRoot = FAKE_MFT_ROOT;
const std::string kTwoAdaptersFixture = RAWDATA_FIXTURES_DIR "/two_adapters.json";
const char kToolsRelativeDirectory[] = "/utilities/mellanox/WinMFT/";

inline std::string MdevicesPath(const std::string& root)
{
    return root + kToolsRelativeDirectory + "mdevices.exe";
}

inline std::string FlintPath(const std::string& root)
{
    return root + kToolsRelativeDirectory + "flint.bat";
}

// A tools tree of its own under a temporary root, each tool present (a link
// to the built fake), missing, or a directory in the tool's place.
class FakeToolsTree {
public:
    enum class Entry { Tool, Missing, Directory };

    FakeToolsTree(Entry mdevices, Entry flint)
    {
        std::filesystem::create_directories(m_root_.Path() / "utilities/mellanox/WinMFT");
        Place(mdevices, MdevicesPath(kFakeRoot), MdevicesPath(Root()));
        Place(flint, FlintPath(kFakeRoot), FlintPath(Root()));
    }

    std::string Root() const { return m_root_.Path().string(); }

private:
    static void Place(Entry entry, const std::string& built, const std::string& path)
    {
        if (entry == Entry::Tool) {
            std::filesystem::create_symlink(built, path);
        } else if (entry == Entry::Directory) {
            std::filesystem::create_directories(path);
        }
    }

    ScopedTempDirectory m_root_;
};

}  // namespace QuilletTest
