// A loopback endpoint that connectLocal() chose on its own is trusted only
// while root (or our user) listens there: a local user who takes the port
// over after the first connection gets none of the later requests, which
// reconnect.

#include <Pegasus/Client/CIMClient.h>

#include "CIMClientInspector.h"
#include "HandWritten.h"
#include "ReplayServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

using namespace Pegasus;
using namespace Pegasus::ClientDetail;

namespace {

const uid_t kNobody = 65534;
const CIMNamespaceName kNamespace("root/cimv2");

// A listening socket on `port` (0: any) of 127.0.0.1, or of :: (dual stack,
// so 127.0.0.1 reaches it through an IPv4-mapped address).
int listenOn(bool dualStack, std::uint16_t port)
{
    const int fd = ::socket(dualStack ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_storage address{};
    if (dualStack)
    {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
        v6.sin6_family = AF_INET6;
        v6.sin6_addr = in6addr_any;
        v6.sin6_port = htons(port);
    }
    else
    {
        auto& v4 = reinterpret_cast<sockaddr_in&>(address);
        v4.sin_family = AF_INET;
        v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        v4.sin_port = htons(port);
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0)
    {
        ::close(fd);
        return -1;
    }
    return fd;
}

// uid 65534 listening on the port in a child process: accepts whatever
// comes within a few seconds and exits with the number of bytes it was sent
// (capped), or 255 when it could not listen.
class SquatterProcess
{
public:
    SquatterProcess(bool dualStack, std::uint16_t port)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        _pid = ::fork();
        if (_pid == 0)
        {
            ::close(ready[0]);
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(255);
            const int listener = listenOn(dualStack, port);
            if (listener < 0)
                ::_exit(255);
            (void)!::write(ready[1], "L", 1);
            int received = 0;
            pollfd waiting{listener, POLLIN, 0};
            while (::poll(&waiting, 1, 3000) == 1)
            {
                const int connection = ::accept(listener, nullptr, nullptr);
                pollfd reading{connection, POLLIN, 0};
                char buffer[4096];
                ssize_t n = 0;
                while (::poll(&reading, 1, 500) == 1 && (n = ::read(connection, buffer, sizeof buffer)) > 0)
                    received += static_cast<int>(n);
                ::close(connection);
            }
            ::_exit(received > 254 ? 254 : received);
        }
        ::close(ready[1]);
        char byte = 0;
        _listening = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }

    bool listening() const { return _listening; }

    // Bytes the squatter was sent (at most 254); -1 when it failed.
    int bytesReceived()
    {
        int status = 0;
        ::waitpid(_pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t _pid = -1;
    bool _listening = false;
};

class ListenerHandOver : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "the local user is played by uid 65534, which needs root";
    }
};

}  // namespace

TEST_P(ListenerHandOver, LaterRequestsReachNoListenerAnotherUserTookOver)
{
    CIMClient client;
    std::uint16_t port = 0;
    {
        // Our server answers once and goes away with its connection.
        ReplayServer ours({ReplayServer::Reply{ReplayServer::Reply::Kind::SendAndClose,
                                               okResponse(kEmptyEnumeration)}});
        port = ours.port();
        LocalServerCandidate candidate;
        candidate.endpoint.host = "127.0.0.1";
        candidate.endpoint.port = port;
        candidate.checkListener = true;
        CIMClientInspector::connectLocal(client, {candidate});
        EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), 0u);
    }
    SquatterProcess squatter(GetParam(), port);
    ASSERT_TRUE(squatter.listening());
    try
    {
        client.enumerateInstances(kNamespace, "MLNX_PCIDevice");
        ADD_FAILURE() << "a request went to the squatter";
    }
    catch (const CannotConnectException& e)
    {
        const std::string message(e.getMessage().getCString());
        EXPECT_NE(message.find("127.0.0.1:" + std::to_string(port)), std::string::npos) << message;
        EXPECT_NE(message.find("the socket that accepted the connection belongs to user ID 65534"),
                  std::string::npos)
            << message;
    }
    catch (const Exception& e)
    {
        ADD_FAILURE() << "not refused as an untrusted server: " << e.getMessage().getCString();
    }
    EXPECT_EQ(squatter.bytesReceived(), 0) << "nothing was sent to the squatter";
}

INSTANTIATE_TEST_SUITE_P(IPv4AndDualStack, ListenerHandOver, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "DualStack" : "IPv4";
                         });
