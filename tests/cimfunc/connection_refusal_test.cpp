// Connections that cannot succeed: refused descriptions and a port where
// nothing listens. No CIM server is needed.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "cimfunc.h"
#include "log.h"
#include "osspecific.h"

namespace {

const char* const kInvalidInformation = "Failed to connect remote cimserver due to invalid connection information. ";
const char* const kFailurePrefix = "Failed to connect remote cimserver with the reason: ";
const char* const kDistinctivePassword = "Zq7-secret-Password-xy";

// A loopback port with no listener: bound once to learn a free number, then closed.
uint16_t ClosedLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_GE(fd, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    EXPECT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
    close(fd);
    return ntohs(address.sin_port);
}

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

class ConnectionRefusal : public ::testing::Test {
protected:
    Quillet::OsSpecific::ScopedSleepObserver observer_{[this](unsigned int ms) { pauses_.push_back(ms); }};
    std::vector<unsigned int> pauses_;
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
        CimFunc cimFunc(Pegasus::CIMNamespaceName("root/cimv2"), Description("127.0.0.1", ClosedLoopbackPort(), type));

        EXPECT_EQ(cimFunc.GetClient(), nullptr);
        EXPECT_EQ(capture.Count(1, "Invalid connection type: " + std::to_string(type)), 1u);
        EXPECT_EQ(capture.Messages(1).size(), 1u);
        EXPECT_FALSE(capture.AnyContains(kFailurePrefix));
        EXPECT_FALSE(capture.AnyContains("Cimserver connection succeeded "));
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
        std::vector<std::string> errors = capture.Messages(1);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].rfind(kFailurePrefix, 0), 0u);
        EXPECT_GT(errors[0].size(), std::string(kFailurePrefix).size()) << "the reason is missing";
        EXPECT_FALSE(capture.AnyContains(kDistinctivePassword));
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

}  // namespace
