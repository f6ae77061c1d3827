// Out-of-band runs against simulators started by the test, as a remote CIM
// server with credentials.
#include <gtest/gtest.h>

#include "cimsim/cimsim_process.h"
#include "cimsim/unused_port.h"
#include "tool_run.h"

namespace cli_test {
namespace {

using mlnx_cimsim::testing::CimSimProcess;

const char kUser[] = "admin";
const char kPassword[] = "s3cret pass";

class OutOfBandCommand : public testing::Test {
protected:
    std::vector<std::string> RemoteArguments(const std::string& operation, const CimSimProcess& server,
                                             const std::string& passwordFile) const
    {
        return {operation, "--host", server.host(), "--port", std::to_string(server.port()), "--user", kUser,
                "--password-file", passwordFile, "--json"};
    }

    TempDirectory m_temp_;
    const std::string m_password_file_ = m_temp_.WriteFile("password", std::string(kPassword) + "\n");
};

TEST_F(OutOfBandCommand, PasswordFileOpensTheServer)
{
    CimSimProcess server({"--user", kUser, "--password-file", m_password_file_});
    const ToolRun run = RunTool(RemoteArguments("inventory", server, m_password_file_));
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    const nlohmann::json document = run.Json();
    EXPECT_EQ(document.at("status"), 0);
    EXPECT_FALSE(document.at("pci_devices").empty());
    EXPECT_FALSE(document.at("software_identities").empty());
    EXPECT_EQ(run.err.find(kPassword), std::string::npos) << "the password leaked to stderr";
}

TEST_F(OutOfBandCommand, PasswordFromStandardInput)
{
    CimSimProcess server({"--user", kUser, "--password-file", m_password_file_});
    RunSettings settings;
    settings.input = std::string(kPassword) + "\n";
    const ToolRun run = RunTool(RemoteArguments("identities", server, "-"), settings);
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    EXPECT_FALSE(run.Json().at("software_identities").empty());
}

TEST_F(OutOfBandCommand, WrongPasswordGivesStatusOne)
{
    CimSimProcess server({"--user", kUser, "--password-file", m_password_file_});
    const std::string wrong = m_temp_.WriteFile("wrong", "not the password\n");
    const ToolRun run = RunTool(RemoteArguments("identities", server, wrong));
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    const nlohmann::json document = run.Json();
    EXPECT_EQ(document.at("status"), 1);
    EXPECT_EQ(document.at("software_identities"), nlohmann::json::array());
    EXPECT_NE(run.err.find("[1] "), std::string::npos) << "the failure is logged at level 1\n" << run.err;
}

TEST_F(OutOfBandCommand, SslConnection)
{
    CimSimProcess server({"--https"});
    const ToolRun run = RunTool({"inventory", "--host", server.host(), "--port", std::to_string(server.port()),
                                 "--ssl", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    EXPECT_FALSE(run.Json().at("ports").empty());
}

// The module tries three times with a 10 s pause after each failure, when it
// is built and again when the operation reconnects: this test waits about a
// minute, and is the only one that does.
TEST_F(OutOfBandCommand, ServerThatIsDownGivesStatusOne)
{
    const ToolRun run = RunTool({"identities", "--host", "127.0.0.1", "--port",
                                 std::to_string(mlnx_cimsim::testing::unusedLoopbackPort()), "--json"});
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    EXPECT_EQ(run.Json().at("status"), 1);
    EXPECT_NE(run.err.find("[1] Failed to connect remote cimserver with the reason: "), std::string::npos)
        << run.err;
}

TEST_F(OutOfBandCommand, SimulatedOutOfBandWithCredentials)
{
    const ToolRun run = RunTool({"inventory", "--simulate", "--oob", "--user", kUser, "--password-file",
                                 m_password_file_, "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    EXPECT_FALSE(run.Json().at("pci_devices").empty());
}

}  // namespace
}  // namespace cli_test
