// An independent CIM client, Debian's sblim-wbemcli, against the simulator: every
// class of the default fixture, one instance and the diagnostic method, over HTTP
// and HTTPS with credentials.

#include "cimsim/cimsim_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

using mlnx_cimsim::testing::CimSimProcess;

namespace {

struct CommandResult {
    int exitCode = -1;
    std::string output;
};

std::string quoted(const std::string& argument) {
    std::string result = "'";
    for (char c : argument) {
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return result + "'";
}

CommandResult wbemcli(const std::vector<std::string>& arguments) {
    std::string command = WBEMCLI_PATH;
    for (const auto& argument : arguments) {
        command += " " + quoted(argument);
    }
    command += " 2>&1";
    CommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        result.output.append(buffer, got);
    }
    int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

size_t countLinesStartingWith(const std::string& text, const std::string& prefix) {
    size_t count = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        count += line.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return count;
}

nlohmann::json defaultFixture() {
    std::ifstream in(CimSimProcess::defaultFixturePath());
    return nlohmann::json::parse(in);
}

class Wbemcli : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (std::ifstream(WBEMCLI_PATH).fail()) {
            GTEST_SKIP() << "sblim-wbemcli is not installed";
        }
        passwordFile_ = testing::TempDir() + "wbemcli-password-" + std::to_string(::getpid());
        std::ofstream(passwordFile_) << "Secret-42\n";
        std::vector<std::string> args = {"--user", "admin", "--password-file", passwordFile_};
        if (GetParam()) {
            args.push_back("--https");
        }
        sim_ = std::make_unique<CimSimProcess>(args);
        base_ = std::string(GetParam() ? "https" : "http") + "://admin:Secret-42@127.0.0.1:" +
                std::to_string(sim_->port()) + "/root/cimv2:";
    }
    void TearDown() override { std::remove(passwordFile_.c_str()); }

    std::vector<std::string> options() const {
        return GetParam() ? std::vector<std::string>{"-noverify", "-nl"} : std::vector<std::string>{"-nl"};
    }
    CommandResult run(const std::string& operation, const std::vector<std::string>& rest) {
        std::vector<std::string> arguments = {operation};
        auto extra = options();
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        arguments.insert(arguments.end(), rest.begin(), rest.end());
        return wbemcli(arguments);
    }

    std::string passwordFile_;
    std::unique_ptr<CimSimProcess> sim_;
    std::string base_;
};

TEST_P(Wbemcli, EnumeratesEveryClassOfTheDefaultFixture) {
    std::map<std::string, size_t> expected;
    const nlohmann::json fixture = defaultFixture();
    for (const auto& instance : fixture.at("instances")) {
        ++expected[instance.at("class").get<std::string>()];
    }
    ASSERT_GE(expected.size(), 7u);
    std::string prefix = "127.0.0.1:" + std::to_string(sim_->port()) + "/root/cimv2:";
    for (const auto& [className, count] : expected) {
        auto result = run("ei", {base_ + className});
        EXPECT_EQ(result.exitCode, 0) << className << ":\n" << result.output;
        EXPECT_EQ(countLinesStartingWith(result.output, prefix + className + "."), count)
            << className << ":\n" << result.output.substr(0, 3000);
    }
    auto firmware = run("ei", {base_ + "MLNX_FirmwareIdentity"});
    EXPECT_NE(firmware.output.find("-ElementName=\"ConnectX-4 FW MT_2190110032\""), std::string::npos);
    EXPECT_NE(firmware.output.find("-VersionString=\"14.32.1010\""), std::string::npos);
}

TEST_P(Wbemcli, GetsOneInstance) {
    auto result = run("gi", {base_ + "MLNX_IBPort.CreationClassName=\"MLNX_IBPort\",DeviceID=\"mlx5_0:1\","
                                     "SystemCreationClassName=\"CIM_ComputerSystem\","
                                     "SystemName=\"mlnx-server.example.com\""});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("-PermanentAddress=\"248A0703005D4B01\""), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("-ActiveMaximumTransmissionUnit=4096"), std::string::npos) << result.output;
}

TEST_P(Wbemcli, InvokesRunDiagnosticAndGetsTheJob) {
    std::string service = base_ +
                          "MLNX_DiagnosticTest.CreationClassName=\"MLNX_DiagnosticTest\",Name=\"MLNX_PCIeLinkTest\","
                          "SystemCreationClassName=\"CIM_ComputerSystem\",SystemName=\"mlnx-server.example.com\"";
    std::string element = "127.0.0.1:" + std::to_string(sim_->port()) +
                          "/root/cimv2:MLNX_PCIDevice.CreationClassName=\"MLNX_PCIDevice\",DeviceID=\"0000:03:00.0\","
                          "SystemCreationClassName=\"CIM_ComputerSystem\",SystemName=\"mlnx-server.example.com\"";
    auto result = run("cm", {service, "RunDiagnostic.ManagedElement=" + element});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("RunDiagnostic: 0\nJob (reference): MLNX_DiagnosticJob.InstanceID="),
              std::string::npos)
        << result.output;

    auto job = run("gi", {base_ + "MLNX_DiagnosticJob.InstanceID=\"MLNX_DiagnosticJob:00000001\""});
    EXPECT_NE(job.output.find("-JobState=7"), std::string::npos) << job.output;
    EXPECT_NE(job.output.find("-PercentComplete=100"), std::string::npos) << job.output;
    auto record = run("ei", {base_ + "MLNX_DiagnosticCompletionRecord"});
    EXPECT_NE(record.output.find("-RecordData=\"PASS: PCIe link x16 Gen3\""), std::string::npos) << record.output;
}

TEST_P(Wbemcli, WrongPasswordIsRefused) {
    std::string wrong = base_;
    wrong.replace(wrong.find("Secret-42"), 9, "nope");
    auto result = run("ei", {wrong + "MLNX_PCIDevice"});
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.output.find("Invalid username/password"), std::string::npos) << result.output;
}

INSTANTIATE_TEST_SUITE_P(OverHttpAndHttps, Wbemcli, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Https" : "Http"; });

}  // namespace
