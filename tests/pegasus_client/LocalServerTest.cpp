// connectLocal(): where the local server is looked for, the override
// variable and what it refuses.

#include <Pegasus/Client/CIMClient.h>

#include "CIMClientInspector.h"
#include "LocalServer.h"
#include "ReplayServer.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace Pegasus;
using namespace Pegasus::ClientDetail;

TEST(LocalServer, TriesTheDomainSocketsThenLoopbackHttpThenHttpsEachWithItsChallengeFolder)
{
    std::vector<std::string> tried;
    for (const LocalServerCandidate& candidate : localServerCandidates(""))
    {
        std::string folders;
        for (const std::string& folder : candidate.challengeFolders)
            folders += " " + folder;
        tried.push_back((candidate.endpoint.tls.enabled ? "https " : "") +
                        candidate.endpoint.describe() + " ->" + folders);
        EXPECT_TRUE(candidate.checkListener);
    }
    EXPECT_EQ(tried, (std::vector<std::string>{
                         "/var/run/tog-pegasus/cimxml.socket -> /var/lib/Pegasus/cache/localauth",
                         "/var/tmp/cimxml.socket -> /var/tmp",
                         "127.0.0.1:5988 -> /var/lib/Pegasus/cache/localauth /var/tmp",
                         "https 127.0.0.1:5989 -> /var/lib/Pegasus/cache/localauth /var/tmp"}));
    EXPECT_FALSE(localServerCandidates("")[3].endpoint.tls.verifyPeer);
}

TEST(LocalServer, TheVariableNamesOneServerAndOptionallyItsOneChallengeFolder)
{
    const std::vector<LocalServerCandidate> plain = localServerCandidates("unix:/run/x.socket");
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].endpoint.unixSocket, "/run/x.socket");
    EXPECT_FALSE(plain[0].checkListener) << "the caller chose this server";
    EXPECT_EQ(plain[0].challengeFolders,
              (std::vector<std::string>{"/var/lib/Pegasus/cache/localauth", "/var/tmp"}));

    const std::vector<LocalServerCandidate> withFolder =
        localServerCandidates("http://127.0.0.1:7000;localauth=/tmp/sim-auth/");
    ASSERT_EQ(withFolder.size(), 1u);
    EXPECT_EQ(withFolder[0].endpoint.port, 7000u);
    EXPECT_EQ(withFolder[0].challengeFolders, (std::vector<std::string>{"/tmp/sim-auth"}));
    EXPECT_THROW(localServerCandidates("unix:/run/x.socket;localauth="), CannotConnectException);
}

TEST(LocalServer, UrlsSelectSchemeHostAndPort)
{
    Endpoint https = localServerEndpoint("https://127.0.0.1:15989/");
    EXPECT_TRUE(https.tls.enabled);
    EXPECT_FALSE(https.tls.verifyPeer);
    EXPECT_EQ(https.port, 15989u);
    Endpoint v6 = localServerEndpoint("http://[::1]:7000");
    EXPECT_EQ(v6.host, "::1");
    EXPECT_EQ(v6.port, 7000u);
    EXPECT_EQ(localServerEndpoint("https://localhost").port, 5989u);
}

TEST(LocalServer, UnusableUrlsAreRefusedWithTheVariableNamed)
{
    for (const char* url : {"ftp://127.0.0.1:1", "http://:80", "http://127.0.0.1:0", "http://h:99999",
                            "http://h:12x", "unix:"})
    {
        SCOPED_TRACE(url);
        try
        {
            localServerEndpoint(url);
            ADD_FAILURE() << "accepted";
        }
        catch (const CannotConnectException& e)
        {
            EXPECT_NE(std::string(e.getMessage().getCString()).find("QUILLET_CIMSERVER_LOCAL"),
                      std::string::npos);
        }
    }
}

TEST(LocalServer, ConnectLocalFollowsTheVariable)
{
    ReplayServer server({});
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port());
    ::setenv(kLocalServerVariable, url.c_str(), 1);
    CIMClient client;
    client.connectLocal();
    ::unsetenv(kLocalServerVariable);
    EXPECT_EQ(CIMClientInspector::stats(client).connectionsOpened, 1u);
    EXPECT_THROW(client.connectLocal(), AlreadyConnectedException);
}

TEST(LocalServer, NoServerAtTheVariablesSocketIsCannotConnectNamingIt)
{
    ::setenv(kLocalServerVariable, "unix:/nonexistent/cimxml.socket", 1);
    CIMClient client;
    try
    {
        client.connectLocal();
        ADD_FAILURE() << "connected";
    }
    catch (const CannotConnectException& e)
    {
        EXPECT_NE(std::string(e.getMessage().getCString()).find("/nonexistent/cimxml.socket"),
                  std::string::npos);
    }
    ::unsetenv(kLocalServerVariable);
}
