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

TEST_F(OutOfBandCommand, WrongPasswordGivesStatusOneAndSaysSo)
{
    CimSimProcess server({"--user", kUser, "--password-file", m_password_file_});
    const std::string wrong = m_temp_.WriteFile("wrong", "not the password\n");
    const ToolRun run = RunTool(RemoteArguments("identities", server, wrong));
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    const nlohmann::json document = run.Json();
    EXPECT_EQ(document.at("status"), 1);
    EXPECT_EQ(document.at("software_identities"), nlohmann::json::array());
    EXPECT_EQ(document.at("error").at("kind"), "authentication_rejected") << document.dump();

    // Tables: the reason on stderr, and no empty tables that read like a server without adapters.
    std::vector<std::string> arguments = RemoteArguments("inventory", server, wrong);
    arguments.pop_back();
    const ToolRun table = RunTool(arguments);
    EXPECT_EQ(table.exitCode, 1) << table.Describe();
    EXPECT_TRUE(table.out.empty()) << table.out;
    EXPECT_NE(table.err.find("authentication_rejected: Authentication failed (HTTP 401"), std::string::npos)
        << table.err;
}

// A CIM error after a good start: what was read is shown, what was not says so.
TEST_F(OutOfBandCommand, CimErrorNamesItsCode)
{
    CimSimProcess server;
    server.failClass("MLNX_PCIDevice", 1, "provider gone");
    const std::vector<std::string> remote{"inventory", "--host", server.host(), "--port",
                                          std::to_string(server.port())};
    std::vector<std::string> json = remote;
    json.push_back("--json");
    const ToolRun run = RunTool(json);
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    const nlohmann::json error = run.Json().at("error");
    EXPECT_EQ(error.at("kind"), "cim_error");
    EXPECT_NE(error.at("message").get<std::string>().find("CIM error 1 (CIM_ERR_FAILED)"), std::string::npos)
        << error.dump();

    const ToolRun table = RunTool(remote);
    EXPECT_EQ(table.exitCode, 1) << table.Describe();
    EXPECT_NE(table.out.find("PCI functions: not read"), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find("PCI functions (0)"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("Failed: cim_error: CIM error 1"), std::string::npos) << table.out;
}

TEST_F(OutOfBandCommand, SslConnection)
{
    CimSimProcess server({"--https"});
    const ToolRun run = RunTool({"inventory", "--host", server.host(), "--port", std::to_string(server.port()),
                                 "--ssl", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.Describe();
    EXPECT_FALSE(run.Json().at("ports").empty());
}

// --verify-cert: the tool's own handshake checks the chain; a server whose
// certificate another CA vouches for is refused before the module connects.
TEST_F(OutOfBandCommand, VerifyCertAcceptsTheRightCaAndRefusesAnother)
{
    const std::string certificate = m_temp_.Path() + "/server.pem";
    const std::string otherCertificate = m_temp_.Path() + "/other.pem";
    CimSimProcess server({"--https", "--cert-out", certificate});
    CimSimProcess other({"--https", "--cert-out", otherCertificate});
    const std::vector<std::string> remote{"inventory", "--host", server.host(), "--port",
                                          std::to_string(server.port()), "--ssl", "--json", "--verify-cert"};
    std::vector<std::string> trusted = remote;
    trusted.push_back(certificate);
    const ToolRun good = RunTool(trusted);
    EXPECT_EQ(good.exitCode, 0) << good.Describe();
    const uint64_t requestsOfTheGoodRun = server.stats().requests;

    std::vector<std::string> untrusted = remote;
    untrusted.push_back(otherCertificate);
    const ToolRun refused = RunTool(untrusted);
    EXPECT_EQ(refused.exitCode, 1) << refused.Describe();
    const nlohmann::json error = refused.Json().at("error");
    EXPECT_EQ(error.at("kind"), "tls_failure");
    EXPECT_NE(error.at("message").get<std::string>().find("does not verify against"), std::string::npos)
        << error.dump();
    EXPECT_EQ(server.stats().requests, requestsOfTheGoodRun) << "the refused run sent no CIM request";
}

// The tool's own check finds that nothing listens before the module makes
// its attempts (three, with 10 s pauses).
TEST_F(OutOfBandCommand, ServerThatIsDownGivesStatusOneWithTheReason)
{
    const std::string port = std::to_string(mlnx_cimsim::testing::unusedLoopbackPort());
    const ToolRun run = RunTool({"identities", "--host", "127.0.0.1", "--port", port, "--json"});
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    const nlohmann::json document = run.Json();
    EXPECT_EQ(document.at("status"), 1);
    EXPECT_EQ(document.at("error").at("kind"), "refused");
    EXPECT_NE(document.at("error").at("message").get<std::string>().find("port " + port), std::string::npos);
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
