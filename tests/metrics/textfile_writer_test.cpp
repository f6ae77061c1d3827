// --textfile: replaced in one step, readable by the collector, and the
// samples that a later run carries over read back from it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "textfile_writer.h"
#include "tool_error.h"

namespace Quillet::Cli {
namespace {

namespace fs = std::filesystem;

class TextfileWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir_ = fs::temp_directory_path() /
                 ("textfile_writer_test_" + std::to_string(getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir_);
    }
    void TearDown() override { fs::remove_all(m_dir_); }

    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    size_t Entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir_), fs::directory_iterator())); }

    fs::path m_dir_;
};

TEST_F(TextfileWriter, ReplacesTheFileReadableByAllAndLeavesNothingElse)
{
    const fs::path target = m_dir_ / "quillet_mellanox.prom";
    std::ofstream(target) << "old\n";
    chmod(target.c_str(), 0600);
    WriteTextfileAtomically(target.string(), "new 1\n");
    EXPECT_EQ(Read(target), "new 1\n");
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(TextfileWriter, AFailedWriteLeavesTheTargetAndNoTemporaryFile)
{
    // A directory cannot be replaced by a file.
    const fs::path target = m_dir_ / "taken.prom";
    fs::create_directory(target);
    try {
        WriteTextfileAtomically(target.string(), "x 1\n");
        FAIL() << "no error";
    } catch (const ToolError& error) {
        EXPECT_EQ(error.ExitCode(), 73);
        EXPECT_NE(std::string(error.what()).find(target.string()), std::string::npos) << error.what();
    }
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(Entries(), 1u);

    const fs::path nowhere = m_dir_ / "missing" / "x.prom";
    EXPECT_THROW(WriteTextfileAtomically(nowhere.string(), "x 1\n"), ToolError);
}

TEST_F(TextfileWriter, PreviousSamplesOfOneFamilyReadBackByTheirLabels)
{
    const fs::path target = m_dir_ / "x.prom";
    WriteTextfileAtomically(target.string(),
                            "# HELP last Time.\n"
                            "# TYPE last gauge\n"
                            "last{host=\"odd} \\\"name\\\"\",operation=\"A\"} 1700000000.25\n"
                            "last 12\n"
                            "last_other{operation=\"A\"} 5\n"
                            "lastly 7\n"
                            "last{operation=\"cut\n");
    const auto samples = ReadPreviousSamples(target.string(), "last");
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples.at("{host=\"odd} \\\"name\\\"\",operation=\"A\"}"), 1700000000.25);
    EXPECT_EQ(samples.at(""), 12);
    EXPECT_TRUE(ReadPreviousSamples((m_dir_ / "none.prom").string(), "last").empty());
}

}  // namespace
}  // namespace Quillet::Cli
