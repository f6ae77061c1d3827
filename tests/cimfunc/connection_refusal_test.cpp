// Connections that are refused: invalid descriptions, and loopback ports where
// nothing listens (the client library's connect opens the TCP connection, so
// a closed port fails the attempt at once). No CIM server is needed.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "cimfunc.h"
#include "log.h"
#include "log_assertions.h"
#include "osspecific.h"
#include "test_endpoints.h"

using CimFuncTesting::ClosedLoopbackPort;
using CimFuncTesting::CountStartingWith;
using CimFuncTesting::LoopbackSocket;
using CimFuncTesting::ScopedLocalServer;

namespace {

const char* const kInvalidInformation = "Failed to connect remote cimserver due to invalid connection information. ";
const char* const kFailurePrefix = "Failed to connect remote cimserver with the reason: ";
const char* const kSucceeded = "Cimserver connection succeeded ";
const char* const kDistinctivePassword = "Zq7-secret-Password-xy";

Quillet::QuilletConnection::ConnectionInfo Description(const std::string& host, uint16_t port, int type)
{
    Quillet::QuilletConnection::ConnectionInfo info;
    info.host = host;
    info.port = port;
    info.user_name = "admin";
    info.password = kDistinctivePassword;
    info.connection_type = type;
    return info;
}

void ExpectOneFailureLineWithReason(const Quillet::LogCapture& capture)
{
    const std::vector<std::string> errors = capture.Messages(1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind(kFailurePrefix, 0), 0u);
    EXPECT_GT(errors[0].size(), std::string(kFailurePrefix).size()) << "the reason is missing";
}

class ConnectionRefusal : public ::testing::Test {
protected:
    std::vector<unsigned int> pauses_;
    std::function<void()> onPause_;
    Quillet::OsSpecific::ScopedSleepObserver observer_{[this](unsigned int ms) {
        pauses_.push_back(ms);
        if (onPause_) {
            onPause_();
        }
    }};
};

TEST_F(ConnectionRefusal, EmptyHostMakesNoAttemptAndEveryReconnectSaysSo)
{
    Quillet::LogCapture capture(4);
    CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"), Description("", 5988, 0));

    EXPECT_EQ(cimFunc.GetClient(), nullptr);
    EXPECT_EQ(cimFunc.Reconnect(), 1);
    EXPECT_EQ(cimFunc.Reconnect(), 1);
    EXPECT_EQ(cimFunc.GetClient(), nullptr);
    EXPECT_EQ(capture.Count(1, kInvalidInformation), 3u);
    EXPECT_FALSE(capture.AnyContains("Connecting "));
    EXPECT_TRUE(pauses_.empty());
}

TEST_F(ConnectionRefusal, UnknownConnectionTypeMakesNoAttempt)
{
    for (int type : {2, -1}) {
        Quillet::LogCapture capture(4);
        pauses_.clear();
        // A listener that would accept: the refusal must come before any attempt.
        LoopbackSocket listener(0, true);
        CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"), Description("127.0.0.1", listener.Port(), type));

        EXPECT_EQ(cimFunc.GetClient(), nullptr);
        EXPECT_EQ(capture.Count(1, "Invalid connection type: " + std::to_string(type)), 1u);
        EXPECT_EQ(capture.Messages(1).size(), 1u);
        EXPECT_FALSE(capture.AnyContains(kSucceeded));
        EXPECT_TRUE(pauses_.empty());
    }
}

TEST_F(ConnectionRefusal, NothingListeningGivesThreeAttemptsOneMessageThreePauses)
{
    for (int type : {0, 1}) {
        Quillet::LogCapture capture(4);
        pauses_.clear();
        const uint16_t port = ClosedLoopbackPort();
        CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"), Description("127.0.0.1", port, type));

        EXPECT_EQ(cimFunc.GetClient(), nullptr);
        EXPECT_EQ(pauses_, std::vector<unsigned int>({10000, 10000, 10000}));
        EXPECT_EQ(capture.Count(3, "Connecting admin:**********@127.0.0.1:" + std::to_string(port)), 1u);
        ExpectOneFailureLineWithReason(capture);
        EXPECT_FALSE(capture.AnyContains(kDistinctivePassword));
    }
}

TEST_F(ConnectionRefusal, RefusedOnceThenAcceptedPausesOnceWithoutFailureLine)
{
    // Plain only: over SSL, connect() waits for a TLS handshake that a bare
    // listener never answers (tests/local_cim_server covers TLS at connect).
    for (int type : {0}) {
        Quillet::LogCapture capture(4);
        pauses_.clear();
        const uint16_t port = ClosedLoopbackPort();
        // The server comes up while the first pause runs.
        std::unique_ptr<LoopbackSocket> server;
        onPause_ = [&server, port]() {
            if (!server) {
                server.reset(new LoopbackSocket(port, true));
            }
        };

        CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"), Description("127.0.0.1", port, type));
        onPause_ = nullptr;

        EXPECT_NE(cimFunc.GetClient(), nullptr);
        EXPECT_EQ(pauses_, std::vector<unsigned int>({10000}));
        EXPECT_EQ(capture.Count(3, kSucceeded), 1u);
        EXPECT_TRUE(capture.Messages(1).empty());
    }
}

TEST_F(ConnectionRefusal, PasswordMaskIsTenAsterisksWhateverItsLength)
{
    for (const std::string& password : {std::string(), std::string("x"), std::string(64, 'p')}) {
        Quillet::LogCapture capture(4);
        Quillet::QuilletConnection::ConnectionInfo info = Description("127.0.0.1", 7, 2);
        info.password = password;
        CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"), info);
        EXPECT_EQ(capture.Count(3, "Connecting admin:**********@127.0.0.1:7"), 1u) << "password: " << password;
    }
}

TEST_F(ConnectionRefusal, InBandWithoutLocalServerFailsLikeARemoteOne)
{
    ScopedLocalServer local("http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()));
    Quillet::LogCapture capture(4);

    CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"));

    EXPECT_EQ(cimFunc.GetClient(), nullptr);
    EXPECT_EQ(pauses_, std::vector<unsigned int>({10000, 10000, 10000}));
    EXPECT_EQ(CountStartingWith(capture, 3, "Connecting "), 1u);
    EXPECT_FALSE(capture.AnyContains(kInvalidInformation));
    ExpectOneFailureLineWithReason(capture);
}

}  // namespace
