// The tool runs as root: each test plays an attack that worked on it before,
// as a local user (uid 65534) or a hostile server on loopback, and shows it
// refused with the reason, nothing written, sent or read that should not be.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "cimsim/cimsim_process.h"
#include "hostile_tls_server.h"
#include "tool_run.h"

namespace cli_test {
namespace {

using mlnx_cimsim::testing::CimSimProcess;

const uid_t kNobody = 65534;
const char kVictimText[] = "root's own data\n";

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Runs `action` in a child process as uid/gid 65534; true when it succeeded.
bool AsNobody(const std::function<bool()>& action)
{
    const pid_t child = fork();
    if (child == 0) {
        const bool done = setgid(kNobody) == 0 && setuid(kNobody) == 0 && action();
        _exit(done ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class ToolAsRoot : public testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0) {
            GTEST_SKIP() << "the attacks need root to run the tool and uid 65534 to play the local user";
        }
        // The local user may pass through our folder, into a shared one
        // like /var/tmp (world-writable, sticky), but not read it.
        chmod(m_temp_.Path().c_str(), 0711);
        m_shared_ = m_temp_.Path() + "/shared";
        mkdir(m_shared_.c_str(), 01777);
        chmod(m_shared_.c_str(), 01777);
        m_victim_ = m_temp_.WriteFile("victim", kVictimText);
    }

    TempDirectory m_temp_;
    std::string m_shared_;
    std::string m_victim_;
};

// Finding: rawdata --out into a folder the user made first (in a shared
// folder) whose names link to root's files overwrote them.
TEST_F(ToolAsRoot, RawDataRefusesAFolderAnotherUserOwnsOrMayWriteAndWritesNothing)
{
    const std::string planted = m_shared_ + "/mellanox";
    ASSERT_TRUE(AsNobody([&] {
        return mkdir(planted.c_str(), 0755) == 0 &&
               symlink(m_victim_.c_str(), (planted + "/Mellanox_00_all_devices_info").c_str()) == 0;
    }));
    const ToolRun run = RunTool({"rawdata", "--simulate", "--out", planted});
    EXPECT_EQ(run.exitCode, 73) << run.Describe();
    EXPECT_TRUE(Has(run.err, "refusing to write into the folder '" + planted + "': it is owned by uid 65534"))
        << run.err;
    EXPECT_EQ(Contents(m_victim_), kVictimText);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(planted), {}), 1) << "only the planted link";

    const ToolRun shared = RunTool({"rawdata", "--simulate", "--out", m_shared_});
    EXPECT_EQ(shared.exitCode, 73) << shared.Describe();
    EXPECT_TRUE(Has(shared.err, "group or others may write to it (mode 1777)")) << shared.err;
}

// A name in a trusted folder that is a link (left by anyone) is replaced by
// a fresh file, never written through.
TEST_F(ToolAsRoot, RawDataReplacesALinkInItsOwnFolderWithoutWritingThroughIt)
{
    const std::string out = m_temp_.Path() + "/service-data";
    mkdir(out.c_str(), 0700);
    const std::string name = out + "/Mellanox_00_all_devices_info";
    symlink(m_victim_.c_str(), name.c_str());
    const ToolRun run = RunTool({"rawdata", "--simulate", "--out", out});
    EXPECT_EQ(run.exitCode, 0) << run.Describe();
    EXPECT_EQ(Contents(m_victim_), kVictimText);
    struct stat status {};
    ASSERT_EQ(lstat(name.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

// Finding: "HOST user=root password-file=/etc/shadow" sent the hash as the
// password; /dev/zero grew without bound.
TEST_F(ToolAsRoot, PasswordFilesOthersCouldReadOrControlAreRefusedAndNothingIsSent)
{
    CimSimProcess server(std::vector<std::string>{});
    const std::string shadow = m_temp_.WriteFile("shadow", "root:$y$j9T$hash:19000:0:99999:7:::\n");
    chmod(shadow.c_str(), 0640);  // as /etc/shadow: root, group shadow may read
    const std::string planted = m_shared_ + "/password";
    ASSERT_TRUE(AsNobody([&] { return std::ofstream(planted) << "chosen-by-the-user\n" && chmod(planted.c_str(), 0600) == 0; }));
    const std::string link = m_temp_.Path() + "/linked-password";
    symlink("/etc/shadow", link.c_str());
    const std::string server_ = "127.0.0.1:" + std::to_string(server.port());
    const struct {
        std::string file;
        std::string reason;
    } cases[] = {
        {shadow, "group or others may read it (mode 0640)"},
        {link, "it is a symbolic link"},
        {"/dev/zero", "it is not a regular file"},
        {planted, "it is owned by uid 65534"},
        {m_temp_.WriteFile("long", std::string(5000, 'x')), "it is larger than 4096 bytes"},
    };
    for (const auto& attack : cases) {
        SCOPED_TRACE(attack.file);
        const std::string hosts = m_temp_.WriteFile("hosts", server_ + " user=root password-file=" + attack.file + "\n");
        const ToolRun fleet = RunTool({"inventory", "--hosts", hosts, "--json"});
        EXPECT_EQ(fleet.exitCode, 66) << fleet.Describe();
        EXPECT_TRUE(Has(fleet.err, "refusing the password file '" + attack.file + "': " + attack.reason)) << fleet.err;
        const ToolRun single = RunTool({"inventory", "--host", "127.0.0.1", "--port", std::to_string(server.port()),
                                        "--user", "root", "--password-file", attack.file});
        EXPECT_EQ(single.exitCode, 66) << single.Describe();
    }
    EXPECT_EQ(server.stats().requests, 0u) << "no request went out";
}

// Finding: metrics --textfile read the previous file through a link
// (/dev/zero: 535 MB) or blocked on a FIFO.
TEST_F(ToolAsRoot, PreviousTextfileIsReadOnlyWhenItIsARegularFile)
{
    const std::string folder = m_temp_.Path() + "/textfiles";
    mkdir(folder.c_str(), 0755);
    const std::string linked = folder + "/linked.prom";
    symlink("/dev/zero", linked.c_str());
    const std::string fifo = folder + "/fifo.prom";
    mkfifo(fifo.c_str(), 0600);
    for (const std::string& textfile : {linked, fifo}) {
        SCOPED_TRACE(textfile);
        const ToolRun run = RunTool({"metrics", "--simulate", "--textfile", textfile});
        EXPECT_EQ(run.exitCode, 0) << run.Describe();
        EXPECT_TRUE(Has(run.err, "the previous textfile '" + textfile + "' is")) << run.err;
        struct stat status {};
        ASSERT_EQ(lstat(textfile.c_str(), &status), 0);
        EXPECT_TRUE(S_ISREG(status.st_mode)) << "replaced by the new textfile";
        EXPECT_TRUE(Has(Contents(textfile), "quillet_mellanox_operation_status"));
    }
}

// Finding: a local user who could write the hosts file (or the CA file, or
// their folder) chose which servers got root's passwords.
TEST_F(ToolAsRoot, HostsAndCaFilesOthersCouldChangeAreRefusedAndNothingIsSent)
{
    CimSimProcess server(std::vector<std::string>{});
    const std::string line = "127.0.0.1:" + std::to_string(server.port()) + "\n";
    const std::string planted = m_shared_ + "/hosts";
    ASSERT_TRUE(AsNobody([&] { return static_cast<bool>(std::ofstream(planted) << line); }));
    const std::string theirs = m_shared_ + "/theirs";
    ASSERT_TRUE(AsNobody([&] { return mkdir(theirs.c_str(), 0755) == 0; }));
    const std::string inTheirs = theirs + "/hosts";
    std::ofstream(inTheirs) << line;
    const std::string open = m_temp_.Path() + "/open";
    mkdir(open.c_str(), 0755);
    chmod(open.c_str(), 0775);
    const std::string inOpen = open + "/hosts";
    std::ofstream(inOpen) << line;
    const std::string writable = m_temp_.WriteFile("writable", line);
    chmod(writable.c_str(), 0664);
    const struct {
        std::string file;
        std::string reason;
    } cases[] = {
        {planted, "it is owned by uid 65534"},
        {inTheirs, "its folder '" + theirs + "' is owned by uid 65534"},
        {inOpen, "group or others may write to its folder '" + open + "' (mode 0775)"},
        {writable, "group or others may write to it (mode 0664)"},
        {"/dev/null", "it is not a regular file"},
    };
    const std::string password = m_temp_.WriteFile("password", "Secret-Pw-1\n");
    for (const auto& attack : cases) {
        SCOPED_TRACE(attack.file);
        const ToolRun fleet = RunTool({"inventory", "--hosts", attack.file, "--user", "root", "--password-file", password, "--json"});
        EXPECT_EQ(fleet.exitCode, 66) << fleet.Describe();
        EXPECT_TRUE(Has(fleet.err, "refusing the hosts file '" + attack.file + "': " + attack.reason)) << fleet.err;
        const ToolRun verified = RunTool({"inventory", "--host", "127.0.0.1", "--port", std::to_string(server.port()),
                                          "--ssl", "--verify-cert", attack.file, "--user", "root", "--password-file",
                                          password});
        EXPECT_EQ(verified.exitCode, 66) << verified.Describe();
        EXPECT_TRUE(Has(verified.err, "refusing the CA file '" + attack.file + "': " + attack.reason)) << verified.err;
    }
    EXPECT_EQ(server.stats().requests, 0u) << "no request went out";

    // Root's own hosts file, reached through a link, is the file checked and read.
    const std::string link = m_temp_.Path() + "/hosts-link";
    symlink(m_temp_.WriteFile("hosts", line).c_str(), link.c_str());
    const ToolRun trusted = RunTool({"inventory", "--hosts", link, "--user", "root", "--password-file", password, "--json"});
    EXPECT_NE(trusted.exitCode, 66) << trusted.Describe();
    EXPECT_GE(server.stats().requests, 1u);
}

// Finding: --verify-cert checked the first handshake's chain only; the
// module's later connections went unverified and carried the password.
class VerifiedTls : public testing::Test {
protected:
    ToolRun Inventory(const HostileTlsServer& server)
    {
        return RunTool({"inventory", "--host", "127.0.0.1", "--port", std::to_string(server.Port()), "--ssl",
                        "--verify-cert", m_pki_.CaFile(), "--user", "root", "--password-file", m_password_,
                        "--connect-timeout", "2", "--json"});
    }

    TempDirectory m_temp_;
    TestPki m_pki_{m_temp_.Path()};
    const std::string m_password_ = m_temp_.WriteFile("password", "Secret-Pw-1\n");
};

TEST_F(VerifiedTls, CertificateOfTheRightCaForAnotherHostGetsNoCredentials)
{
    HostileTlsServer server({m_pki_.Signed("other", "DNS:cim.other.example")});
    const ToolRun run = Inventory(server);
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    EXPECT_EQ(run.Json().at("error").at("kind"), "tls_failure");
    EXPECT_TRUE(Has(run.Json().at("error").at("message").get<std::string>(), "IP address mismatch")) << run.out;
    EXPECT_EQ(server.Requests(), 0);
    EXPECT_EQ(server.RequestsWithCredentials(), 0);
}

TEST_F(VerifiedTls, SelfSignedCertificateOnALaterConnectionGetsNoCredentials)
{
    HostileTlsServer server({m_pki_.Signed("right", "IP:127.0.0.1"), m_pki_.SelfSigned("forged")});
    const ToolRun run = Inventory(server);
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    EXPECT_EQ(run.Json().at("error").at("kind"), "tls_failure");
    EXPECT_GE(server.Connections(), 2) << "the client library's own connection met the forged certificate";
    EXPECT_EQ(server.RequestsWithCredentials(), 0);
}

// The same server with the right certificate throughout does get the
// credentials: the checks above are what kept them back.
TEST_F(VerifiedTls, RightCertificateOnEveryConnectionIsTrusted)
{
    HostileTlsServer server({m_pki_.Signed("right", "IP:127.0.0.1")});
    const ToolRun run = Inventory(server);
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    EXPECT_EQ(run.Json().at("error").at("kind"), "authentication_rejected");
    EXPECT_GE(server.RequestsWithCredentials(), 1);
}

}  // namespace
}  // namespace cli_test
