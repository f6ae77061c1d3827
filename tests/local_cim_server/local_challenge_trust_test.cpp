// The exported class in-band against hostile local servers: a Local challenge that
// names a file the client must not read, or a domain socket served by another user.
// Each is refused with its own reason, and the server never receives a byte of the
// file (what it received is read on its side).

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "cim_module_support/simulated_cim_server.h"
#include "hostile_local_server.h"
#include "log.h"
#include "mellanox.h"

namespace {

using cim_module_support::LocalCimServer;
using cim_module_support::PauseCounter;
using local_cim_server_test::HostileLocalServer;
using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;

constexpr uid_t kNobody = 65534;

std::string PrivateFolder(const char* pattern)
{
    std::string folder = pattern;
    if (::mkdtemp(folder.data()) == nullptr) {
        throw std::runtime_error("mkdtemp " + std::string(pattern) + " failed");
    }
    return folder;
}

class HostileChallenge : public testing::Test {
protected:
    ~HostileChallenge() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_trusted_, ignored);
        std::filesystem::remove_all(m_elsewhere_, ignored);
    }

    // A file of this process's user holding a secret, in `folder`.
    std::string SecretFile(const std::string& folder, const std::string& name, mode_t mode = 0600,
                           size_t padding = 0)
    {
        const std::string path = folder + "/" + name;
        std::ofstream(path) << m_secret_ << std::string(padding, 'x');
        ::chmod(path.c_str(), mode);
        return path;
    }

    // Runs one in-band object with one inventory call against `server`; returns the
    // module's level-1 messages and, in `received`, what the server got.
    std::string FailureAgainst(HostileLocalServer& server, std::string& received)
    {
        LocalCimServer local("unix:" + server.SocketPath() + ";localauth=" + m_trusted_);
        LogCapture capture(1);
        {
            Mellanox module;
            Quillet::Mellanox::StructuredInfo_ info;
            EXPECT_EQ(module.GetStructuredInfo(info), 1);
        }
        received = server.StopAndTakeReceived();
        std::string messages;
        for (const std::string& message : capture.Messages(1)) {
            messages += message + "\n";
        }
        return messages;
    }

    // The challenge naming `path` is refused with `reason`; nothing of the file went out.
    void ExpectRefused(const std::string& path, const std::string& reason)
    {
        HostileLocalServer server(path);
        std::string received;
        const std::string messages = FailureAgainst(server, received);
        EXPECT_NE(messages.find("the challenge file " + path + " " + reason), std::string::npos) << messages;
        EXPECT_NE(received.find("PegasusAuthorization: Local"), std::string::npos) << "the client did ask";
        EXPECT_EQ(received.find(m_secret_), std::string::npos) << "the file's text reached the server";
        EXPECT_EQ(received.find(":" + path), std::string::npos) << "the challenge was answered";
    }

    std::string m_secret_ = "secret-" + std::to_string(std::random_device{}());
    std::string m_trusted_ = PrivateFolder("/tmp/trusted-challenges-XXXXXX");
    std::string m_elsewhere_ = PrivateFolder("/tmp/untrusted-files-XXXXXX");
    PauseCounter m_pauses_;
};

TEST_F(HostileChallenge, AFileOfTheTrustedFolderThatPassesEveryCheckIsAnswered)
{
    // The server of these tests does receive a good answer: the refusals below are real.
    const std::string path = SecretFile(m_trusted_, "cimclient_good", 0400);
    HostileLocalServer server(path);
    std::string received;
    FailureAgainst(server, received);
    EXPECT_NE(received.find(":" + path + ":" + m_secret_ + "\""), std::string::npos) << received;
}

TEST_F(HostileChallenge, FilesOutsideTheTrustedFolderOrThroughDotDotAreNeverOpened)
{
    ExpectRefused(SecretFile(m_elsewhere_, "key"), "is not directly inside the folder trusted for this server (" +
                                                       m_trusted_ + ")");
    const std::string escape = m_trusted_ + "/../" + std::filesystem::path(m_elsewhere_).filename().string() + "/key";
    ExpectRefused(escape, "is not directly inside the folder trusted for this server");
    ExpectRefused(m_trusted_ + "/..", "does not name a file");
    ExpectRefused("/etc/hostname", "is not directly inside the folder trusted for this server");
}

TEST_F(HostileChallenge, FilesInsideTheTrustedFolderMustPassEveryCheckOnTheOpenedFile)
{
    const std::string link = m_trusted_ + "/cimclient_link";
    ASSERT_EQ(::symlink(SecretFile(m_elsewhere_, "key").c_str(), link.c_str()), 0);
    ExpectRefused(link, "is a symbolic link");
    const std::string hardLink = m_trusted_ + "/cimclient_hard_link";
    ASSERT_EQ(::link(SecretFile(m_elsewhere_, "other-key").c_str(), hardLink.c_str()), 0);
    ExpectRefused(hardLink, "has 2 names (hard links), not one");
    ExpectRefused(SecretFile(m_trusted_, "cimclient_open", 0644), "may be accessed by group or others (mode 0644)");
    ExpectRefused(SecretFile(m_trusted_, "cimclient_group", 0640), "may be accessed by group or others (mode 0640)");
    ExpectRefused(SecretFile(m_trusted_, "cimclient_huge", 0600, 8192),
                  "is larger than 4096 bytes (" + std::to_string(m_secret_.size() + 8192) + " bytes)");
    const std::string folder = m_trusted_ + "/cimclient_folder";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ExpectRefused(folder, "is not a regular file");
    ExpectRefused(m_trusted_ + "/cimclient_missing", "does not exist");
}

TEST_F(HostileChallenge, AFileOfAnotherOwnerIsRefused)
{
    const std::string path = SecretFile(m_trusted_, "cimclient_other", 0400);
    if (::chown(path.c_str(), kNobody, kNobody) != 0) {
        GTEST_SKIP() << "giving a file to user ID 65534 needs root";
    }
    ExpectRefused(path, "belongs to user ID 65534, not to this process's user ID " + std::to_string(::geteuid()));
}

TEST_F(HostileChallenge, ADomainSocketServedByAnotherUserGetsNoByte)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "running a server as user ID 65534 needs root";
    }
    HostileLocalServer server(SecretFile(m_trusted_, "cimclient_good", 0400), kNobody);
    std::string received;
    const std::string messages = FailureAgainst(server, received);
    EXPECT_NE(messages.find(server.SocketPath() + ": the server at this socket runs as user ID 65534"),
              std::string::npos)
        << messages;
    EXPECT_TRUE(received.empty()) << "sent to a server of another user: " << received;
    EXPECT_GE(m_pauses_.Count(10000), 3u) << "it counts as a failed connection, retried as any other";
}

}  // namespace
