// The exported class in-band against a local CIM server that authenticates as a real
// OpenPegasus server does (Local authentication for this process's user), reached
// over its domain socket and over loopback TCP.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cim_module_support/simulated_cim_server.h"
#include "log.h"
#include "mellanox.h"
#include "scoped_environment.h"

namespace {

using cim_module_support::LocalCimServer;
using cim_module_support::PauseCounter;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;

const char* const kEnumerationFailure = "Enumerate instances for MLNX_PCIDevice failed with the reason: ";

enum class Way { DomainSocket, Tcp };

std::vector<std::string> MessagesStartingWith(const LogCapture& capture, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& message : capture.Messages(1)) {
        if (message.rfind(prefix, 0) == 0) {
            found.push_back(message);
        }
    }
    return found;
}

class InBandAuthenticated : public testing::TestWithParam<Way> {
protected:
    std::string LocalUrl() const
    {
        return GetParam() == Way::DomainSocket ? m_server_.domainSocketUrl() : m_server_.localUrl();
    }

    // One in-band object from construction to destruction, with one inventory call; the
    // message of that call's failure, or "" when it succeeded.
    std::string FailureOfOneInventoryCall()
    {
        LogCapture capture(1);
        {
            Mellanox module;
            Quillet::Mellanox::StructuredInfo_ info;
            EXPECT_EQ(module.GetStructuredInfo(info), 1);
            EXPECT_TRUE(info.pci_devices.empty());
        }
        const std::vector<std::string> failures = MessagesStartingWith(capture, kEnumerationFailure);
        EXPECT_EQ(failures.size(), 1u) << "one clear failure, not a retry loop";
        EXPECT_TRUE(MessagesStartingWith(capture, "Failed to connect").empty());
        EXPECT_EQ(m_pauses_.Total(), 0u);
        return failures.empty() ? "" : failures.front();
    }

    CimSimProcess m_server_{{"--authenticate", "--provider-stopped"}, CimSimProcess::Listen::tcpAndDomainSocket};
    LocalCimServer m_local_{LocalUrl()};
    QuilletTest::ScopedEnvironment m_tools_fixture_{{{"FAKE_MFT_FIXTURE", CimSimProcess::defaultFixturePath()}}};
    PauseCounter m_pauses_;
};

TEST_P(InBandAuthenticated, AllFiveOperationsSucceedAndTheProviderModuleIsStartedAndStoppedOnce)
{
    LogCapture capture(1);
    {
        Mellanox module;
        Quillet::Mellanox::StructuredInfo_ info;
        ASSERT_EQ(module.GetStructuredInfo(info), 0);
        EXPECT_EQ(info.pci_devices.size(), 4u);
        EXPECT_EQ(info.ports.size(), 4u);

        std::vector<Quillet::QLOptions::SoftwareIdentity_> identities;
        EXPECT_EQ(module.GetSoftwareIdentities(identities), 0);
        EXPECT_FALSE(identities.empty());

        std::vector<std::string> diagnostics;
        ASSERT_EQ(module.GetDiagItems(diagnostics), 0);
        ASSERT_FALSE(diagnostics.empty());
        Quillet::QuilletIHV::DiagnosticRecord_ record;
        EXPECT_EQ(module.RunDiagnostic("MLNX_PCIeLinkTest|0000:03:00.0", record), 0);

        std::vector<Quillet::QuilletIHV::RawData_> raw;
        EXPECT_EQ(module.GetRawData(raw, FAKE_MFT_ROOT), 0);
        EXPECT_EQ(raw.size(), 3u);
    }
    EXPECT_TRUE(capture.Messages(1).empty()) << capture.Messages(1).front();

    const mlnx_cimsim::testing::CimSimStats stats = m_server_.stats();
    EXPECT_EQ(stats.starts, 1u);
    EXPECT_EQ(stats.stops, 1u);
    EXPECT_EQ(stats.providerModule, "stopped");
    EXPECT_GE(stats.localChallenges, 3u) << "the module's connection and the manager's two";
}

TEST_P(InBandAuthenticated, WrongChallengeAnswerIsOneClearFailure)
{
    m_server_.setLocalChallenge("wrong_secret");
    const std::string failure = FailureOfOneInventoryCall();
    EXPECT_NE(failure.find("Local authentication"), std::string::npos) << failure;
    EXPECT_NE(failure.find("were rejected"), std::string::npos) << failure;
}

TEST_P(InBandAuthenticated, MissingChallengeFileIsOneClearFailureNamingTheFile)
{
    m_server_.setLocalChallenge("missing_file");
    const std::string failure = FailureOfOneInventoryCall();
    EXPECT_NE(failure.find("/mlnx-cimsim-local-"), std::string::npos) << failure;
    EXPECT_NE(failure.find("does not exist"), std::string::npos) << failure;
}

TEST_P(InBandAuthenticated, LaterChallengeOnAFreshConnectionIsAnsweredAgain)
{
    Mellanox module;
    Quillet::Mellanox::StructuredInfo_ info;
    ASSERT_EQ(module.GetStructuredInfo(info), 0);
    const uint64_t before = m_server_.stats().localChallenges;
    // The server drops the connection: the client reconnects and is asked again.
    m_server_.closeMidResponse();
    EXPECT_EQ(module.GetStructuredInfo(info), 1);
    m_server_.clearFaults();
    ASSERT_EQ(module.GetStructuredInfo(info), 0);
    EXPECT_EQ(info.pci_devices.size(), 4u);
    EXPECT_GT(m_server_.stats().localChallenges, before);
}

INSTANTIATE_TEST_SUITE_P(OverDomainSocketAndTcp, InBandAuthenticated, testing::Values(Way::DomainSocket, Way::Tcp),
                         [](const auto& info) { return info.param == Way::DomainSocket ? "DomainSocket" : "Tcp"; });

TEST(InBandServerWithoutLocalChallenge, EveryRequestIsOneClearFailure)
{
    PauseCounter pauses;
    CimSimProcess server({}, CimSimProcess::Listen::tcpAndDomainSocket);
    server.answerHttpStatus(401);  // Basic only: no Local challenge ever comes
    LocalCimServer local(server.domainSocketUrl());
    LogCapture capture(1);
    {
        Mellanox module;
        Quillet::Mellanox::StructuredInfo_ info;
        EXPECT_EQ(module.GetStructuredInfo(info), 1);
    }
    const std::vector<std::string> failures = MessagesStartingWith(capture, kEnumerationFailure);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures.front().find("without a Local challenge"), std::string::npos) << failures.front();
    EXPECT_NE(failures.front().find("WWW-Authenticate: Basic"), std::string::npos) << failures.front();
    EXPECT_EQ(pauses.Total(), 0u);
    EXPECT_EQ(server.stats().requests, 5u) << "start, three enumerations and stop: each sent once";
}

}  // namespace
