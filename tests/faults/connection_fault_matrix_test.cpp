// The fault matrix, faults of the connection: nothing listening, connections
// reset at once, TLS spoken to a plain server and the reverse, a response past
// the client's size cap, and the diagnostics' requests broken in-band. For
// every fault: the status, the log lines, the pauses, no crash, and the next
// call on the same object working again once the fault is gone.

#include <stdlib.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cim_module_support/fixture_document.h"
#include "cim_module_support/simulated_cim_server.h"
#include "connection_info.h"
#include "log.h"
#include "mellanox.h"
#include "quillet_ihv.h"
#include "support/matrix_support.h"
#include "support/switchable_forwarder.h"

namespace {

using cim_module_support::FixtureDocument;
using cim_module_support::LocalCimServer;
using cim_module_support::OutOfBandTo;
using cim_module_support::PauseCounter;
using fault_tests::SwitchableForwarder;
using mlnx_cimsim::testing::CimSimProcess;
using Quillet::LogCapture;
using Quillet::Mellanox::Mellanox;
using Quillet::Mellanox::StructuredInfo_;
using Quillet::QuilletConnection::ConnectionInfo;
using namespace fault_tests;

const char* const kPciFailure = "Enumerate instances for MLNX_PCIDevice failed with the reason: ";
const char* const kPortFailure = "Enumerate instances for CIM_NetworkPort failed with the reason: ";
const char* const kIdentityFailure = "Enumerate instances for MLNX_FirmwareIdentity failed with the reason: ";
const char* const kConnectFailure = "Failed to connect remote cimserver with the reason: ";

// The three enumerations of GetStructuredInfo each failed with this reason.
std::vector<std::string> EveryEnumerationFailed(const std::string& reason)
{
    return {kPciFailure + reason, kPortFailure + reason, kIdentityFailure + reason};
}

ConnectionInfo PlainOrTls(uint16_t port, int connectionType)
{
    ConnectionInfo info;
    info.host = "127.0.0.1";
    info.port = port;
    info.user_name = "fault-matrix";
    info.password = "pw";
    info.connection_type = connectionType;
    return info;
}

std::string Where(uint16_t port)
{
    return "127.0.0.1:" + std::to_string(port);
}

// While alive, the in-band module's local CIM server is the given URL.
class LocalServerUrl {
public:
    explicit LocalServerUrl(const std::string& url) { ::setenv(kVariable, url.c_str(), 1); }
    ~LocalServerUrl() { ::unsetenv(kVariable); }
    LocalServerUrl(const LocalServerUrl&) = delete;
    LocalServerUrl& operator=(const LocalServerUrl&) = delete;

private:
    static constexpr const char* kVariable = "QUILLET_CIMSERVER_LOCAL";
};

class ConnectionFaults : public testing::Test {
protected:
    PauseCounter m_pauses_;
    FixtureCounts m_counts_ = CountsOf(FixtureDocument(CimSimProcess::defaultFixturePath()));
    CimSimProcess m_server_;
};

// Nothing listens while the object is built and used, then the server comes
// back: each connection costs three attempts and three pauses, one line each.
void NothingListeningThenBack(Mellanox& module, SwitchableForwarder& forwarder, const PauseCounter& pauses,
                              const FixtureCounts& counts, const std::string& connectFailure)
{
    StructuredInfo_ info;
    {
        LogCapture capture(4);
        EXPECT_EQ(module.GetStructuredInfo(info), 1);
        ExpectEmpty(info);
        ExpectErrorLinesStartWith(capture, {connectFailure, connectFailure, connectFailure});
        EXPECT_EQ(capture.Count(3, kReconnected), 0u);
    }
    EXPECT_EQ(pauses.Count(kConnectPauseMs), 12u) << "three at construction, three per enumeration";

    forwarder.ResumeListening();
    LogCapture capture(4);
    EXPECT_EQ(module.GetStructuredInfo(info), 0);
    ExpectComplete(info, counts);
    EXPECT_TRUE(capture.Messages(1).empty()) << Joined(capture.Messages(1));
    EXPECT_EQ(capture.Count(3, kReconnected), 1u);
    EXPECT_EQ(pauses.Total(), 12u) << "no pause once the server answers";
}

TEST_F(ConnectionFaults, NothingListeningOutOfBandThenTheServerComesBack)
{
    SwitchableForwarder forwarder(m_server_.port());
    forwarder.StopListening();
    const std::string refused = kConnectFailure + ("Cannot connect to the CIM server at " + Where(forwarder.Port()) +
                                                   ": Connection refused");
    std::unique_ptr<Mellanox> module;
    {
        LogCapture capture(4);
        module = std::make_unique<Mellanox>(PlainOrTls(forwarder.Port(), 0));
        ExpectErrorLinesStartWith(capture, {refused});
        EXPECT_EQ(capture.Count(3, "Connecting fault-matrix:**********@" + Where(forwarder.Port())), 1u);
    }
    EXPECT_EQ(m_pauses_.Count(kConnectPauseMs), 3u);
    NothingListeningThenBack(*module, forwarder, m_pauses_, m_counts_, refused);
}

TEST_F(ConnectionFaults, NothingListeningInBandThenTheServerComesBack)
{
    SwitchableForwarder forwarder(m_server_.port());
    forwarder.StopListening();
    LocalServerUrl local("http://" + Where(forwarder.Port()));
    const std::string refused = kConnectFailure + ("Cannot connect to the CIM server at " + Where(forwarder.Port()) +
                                                   ": Connection refused");
    Mellanox module;
    EXPECT_EQ(m_pauses_.Count(kConnectPauseMs), 3u);
    NothingListeningThenBack(module, forwarder, m_pauses_, m_counts_, refused);
}

TEST_F(ConnectionFaults, ConnectionsResetAtOnceCostAPauseOrAnEnumerationEachThenTheServerServes)
{
    // The next three connections are accepted and reset at once. The client
    // notices a reset either while it connects (the module pauses and tries
    // again, and gives up after three) or at its first request (that
    // enumeration fails and the module builds a new client at once): which
    // one depends on timing, but each reset costs exactly one of the two.
    m_server_.refuseConnections(3);
    StructuredInfo_ info;
    {
        LogCapture capture(4);
        Mellanox module(OutOfBandTo(m_server_));
        const int status = module.GetStructuredInfo(info);
        std::vector<std::string> enumerationFailures;
        for (const std::string& error : capture.Messages(1)) {
            if (error.rfind("Enumerate instances for ", 0) == 0) {
                // Malformed HTTP (reset at the request) or cannot connect (reset
                // while curl opened a connection of its own).
                EXPECT_NE(error.find(" the CIM server at " + Where(m_server_.port())), std::string::npos) << error;
                enumerationFailures.push_back(error);
            } else {
                // Three resets in a row while connecting: that connection gives up.
                EXPECT_EQ(error, kConnectFailure + ("Cannot connect to the CIM server at " + Where(m_server_.port()) +
                                                    ": Connection reset by peer"));
                EXPECT_EQ(m_pauses_.Count(kConnectPauseMs), 3u);
            }
        }
        EXPECT_EQ(m_pauses_.Count(kConnectPauseMs) + enumerationFailures.size(), 3u)
            << Joined(capture.Messages(1));
        EXPECT_EQ(status, enumerationFailures.empty() ? 0 : 1);

        // The resets are over: the same object reads everything.
        capture.Clear();
        const size_t pauses = m_pauses_.Total();
        EXPECT_EQ(module.GetStructuredInfo(info), 0);
        ExpectComplete(info, m_counts_);
        EXPECT_TRUE(capture.Messages(1).empty()) << Joined(capture.Messages(1));
        EXPECT_EQ(m_pauses_.Total(), pauses);
    }
    EXPECT_EQ(m_server_.stats().refused, 3u);
}

// The object's connection type does not match the server; once the server is
// replaced by one that speaks as the object does, the next call is whole.
void MismatchThenMatch(int connectionType, CimSimProcess& mismatched, CimSimProcess& matching,
                       const std::string& reason, const PauseCounter& pauses, const FixtureCounts& counts)
{
    SwitchableForwarder forwarder(mismatched.port());
    Mellanox module(PlainOrTls(forwarder.Port(), connectionType));
    StructuredInfo_ info;
    {
        LogCapture capture(4);
        EXPECT_EQ(module.GetStructuredInfo(info), 1);
        ExpectEmpty(info);
        ExpectErrorLinesStartWith(capture, EveryEnumerationFailed(reason + Where(forwarder.Port())));
    }
    EXPECT_EQ(pauses.Total(), 0u) << "the TCP connection is made; the exchange fails";

    forwarder.SwitchTo(matching.port());
    LogCapture capture(4);
    EXPECT_EQ(module.GetStructuredInfo(info), 0);
    ExpectComplete(info, counts);
    EXPECT_TRUE(capture.Messages(1).empty()) << Joined(capture.Messages(1));
}

// The handshake is connect()'s: a plain server costs the three attempts with their
// pauses at construction and at every enumeration, until a TLS server answers.
TEST_F(ConnectionFaults, TlsClientAgainstAPlainServerFailsAtConnect)
{
    CimSimProcess tlsServer({"--https"});
    SwitchableForwarder forwarder(m_server_.port());
    const std::string failure = kConnectFailure + ("TLS connection to the CIM server at " + Where(forwarder.Port()));
    std::unique_ptr<Mellanox> module;
    {
        LogCapture capture(4);
        module = std::make_unique<Mellanox>(PlainOrTls(forwarder.Port(), 1));
        ExpectErrorLinesStartWith(capture, {failure});
    }
    EXPECT_EQ(m_pauses_.Count(kConnectPauseMs), 3u);
    StructuredInfo_ info;
    {
        LogCapture capture(4);
        EXPECT_EQ(module->GetStructuredInfo(info), 1);
        ExpectEmpty(info);
        ExpectErrorLinesStartWith(capture, {failure, failure, failure});
    }
    EXPECT_EQ(m_pauses_.Count(kConnectPauseMs), 12u) << "three at construction, three per enumeration";

    forwarder.SwitchTo(tlsServer.port());
    LogCapture capture(4);
    EXPECT_EQ(module->GetStructuredInfo(info), 0);
    ExpectComplete(info, m_counts_);
    EXPECT_TRUE(capture.Messages(1).empty()) << Joined(capture.Messages(1));
    EXPECT_EQ(m_pauses_.Total(), 12u);
}

TEST_F(ConnectionFaults, PlainClientAgainstATlsServer)
{
    CimSimProcess tlsServer({"--https"});
    MismatchThenMatch(0, tlsServer, m_server_, "Malformed HTTP response from the CIM server at ", m_pauses_,
                      m_counts_);
}

TEST_F(ConnectionFaults, ResponsePastTheClientsSizeCapFailsThatEnumerationOnly)
{
    Mellanox module(OutOfBandTo(m_server_));
    const size_t cap = size_t{32} * 1024 * 1024;  // the client library's default limit
    m_server_.control(R"({"response_bytes": )" + std::to_string(cap + 1) + R"(, "times": 1})");
    StructuredInfo_ info;
    {
        LogCapture capture(4);
        EXPECT_EQ(module.GetStructuredInfo(info), 1);
        EXPECT_TRUE(info.pci_devices.empty());
        EXPECT_EQ(info.ports.size(), m_counts_.ports);
        EXPECT_EQ(info.software_identities.size(), m_counts_.identities);
        ExpectErrorLinesStartWith(capture, {kPciFailure + ("The response from the CIM server at " +
                                                           Where(m_server_.port()) + " exceeds the limit of " +
                                                           std::to_string(cap) + " bytes")});
    }
    LogCapture capture(4);
    EXPECT_EQ(module.GetStructuredInfo(info), 0);
    ExpectComplete(info, m_counts_);
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

class DiagnosticsUnderFaults : public testing::Test {
protected:
    PauseCounter m_pauses_;
    CimSimProcess m_server_;
    LocalCimServer m_local_{m_server_};
    Mellanox m_module_;
};

TEST_F(DiagnosticsUnderFaults, BrokenDiscoveryListsNothingAndTheNextOneListsAll)
{
    m_server_.control(R"({"close_mid_response": true, "times": 1})");
    std::vector<std::string> names{"stale"};
    {
        LogCapture capture(4);
        EXPECT_EQ(m_module_.GetDiagItems(names), 1);
        EXPECT_TRUE(names.empty());
        ExpectErrorLinesStartWith(capture, {"Enumerate instances for MLNX_AvailableDiagnosticService failed with the "
                                            "reason: Malformed HTTP response from the CIM server at " +
                                            Where(m_server_.port())});
        EXPECT_EQ(capture.Count(3, kReconnected), 1u);
    }
    EXPECT_EQ(m_module_.GetDiagItems(names), 0);
    EXPECT_FALSE(names.empty());
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

TEST_F(DiagnosticsUnderFaults, BrokenMethodCallFailsTheRunAndTheNextRunCompletes)
{
    std::vector<std::string> names;
    ASSERT_EQ(m_module_.GetDiagItems(names), 0);
    ASSERT_FALSE(names.empty());
    const std::string reasons[] = {"Malformed HTTP response from the CIM server at ",
                                   "HTTP error 500 (Internal Server Error) from the CIM server at "};
    const char* const faults[] = {R"({"close_mid_response": true, "times": 1})", R"({"http_status": 500, "times": 1})"};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(faults[i]);
        m_server_.control(faults[i]);
        Quillet::QuilletIHV::DiagnosticRecord_ record;
        {
            LogCapture capture(4);
            EXPECT_EQ(m_module_.RunDiagnostic(names.front(), record), 1);
            ExpectErrorLinesStartWith(capture, {"invokeMethod return exeption: " + reasons[i] +
                                                Where(m_server_.port())});
            EXPECT_EQ(capture.Count(3, kReconnected), 1u);
        }
        EXPECT_EQ(m_module_.RunDiagnostic(names.front(), record), 0);
        EXPECT_EQ(record.result, 2) << "the default job completes with OK";
    }
    EXPECT_EQ(m_pauses_.Total(), 0u);
}

}  // namespace
