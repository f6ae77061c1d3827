// The one connection of a client: kept from connect() across requests,
// replaced (not failed) when the server closed it in between, and read
// correctly whatever framing the server chooses.

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientFailureExceptions.h>

#include "CIMClientInspector.h"
#include "HandWritten.h"
#include "ReplayServer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>

using namespace Pegasus;

namespace {

const CIMNamespaceName kNamespace("root/cimv2");

// The reply, then the connection closed by the server.
ReplayServer::Reply closingAfter(const std::string& bytes)
{
    return ReplayServer::Reply{ReplayServer::Reply::Kind::SendAndClose, bytes};
}

class KeptConnection : public ::testing::TestWithParam<bool>
{
protected:
    ReplayServer::Tls tls() const
    {
        if (!GetParam())
            return {};
        const TestCertificate& certificate = testCertificate("cimserver");
        return {certificate.certificateFile, certificate.keyFile};
    }

    void connect(CIMClient& client, const ReplayServer& server) const
    {
        if (GetParam())
            client.connect("127.0.0.1", server.port(), SSLContext(String(), nullptr), "", "");
        else
            client.connect("127.0.0.1", server.port(), "", "");
    }
};

}  // namespace

TEST_P(KeptConnection, EveryRequestUsesTheConnectionOfConnect)
{
    ReplayServer server({ReplayServer::send(okResponse(kEmptyEnumeration)),
                         ReplayServer::send(okResponse(kEmptyEnumeration)),
                         ReplayServer::send(okResponse(kEmptyEnumeration))},
                        tls());
    CIMClient client;
    connect(client, server);
    EXPECT_EQ(CIMClientInspector::stats(client).connectionsOpened, 1u) << "connect() opened it";
    for (int request = 0; request < 3; ++request)
        EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), 0u);
    EXPECT_EQ(server.connectionsAccepted(), 1u);
    EXPECT_EQ(CIMClientInspector::stats(client).connectionsOpened, 1u);
}

// As OpenPegasus's client: a connection the server closed after its answer
// is replaced by the next request, which does not fail for it.
TEST_P(KeptConnection, ServerClosingBetweenRequestsCostsANewConnectionNotAFailure)
{
    ReplayServer server({closingAfter(okResponse(kEmptyEnumeration)),
                         ReplayServer::send(okResponse(kEmptyEnumeration))},
                        tls());
    CIMClient client;
    connect(client, server);
    EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), 0u);
    EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), 0u);
    EXPECT_EQ(server.connectionsAccepted(), 2u);
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_P(KeptConnection, DisconnectClosesItAndConnectOpensAnother)
{
    ReplayServer server({ReplayServer::send(okResponse(kEmptyEnumeration)),
                         ReplayServer::send(okResponse(kEmptyEnumeration))},
                        tls());
    CIMClient client;
    connect(client, server);
    EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), 0u);
    client.disconnect();
    connect(client, server);
    EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), 0u);
    EXPECT_EQ(server.connectionsAccepted(), 2u);
}

INSTANTIATE_TEST_SUITE_P(HttpAndHttps, KeptConnection, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Https" : "Http";
                         });

// Interim answers are skipped; the final one is read.
TEST(ResponseFraming, InterimContinueIsSkipped)
{
    ReplayServer server({ReplayServer::send("HTTP/1.1 100 Continue\r\n\r\n" +
                                            okResponse(kEmptyEnumeration))});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), 0u);
}

// The body grows chunk by chunk, across reads of the stream: every byte is
// kept in order, whatever the sizes of the chunks and of the reads.
TEST(ResponseFraming, ChunksOfEverySizeAddUpToTheWholeBody)
{
    std::string note;
    for (int i = 0; note.size() < 300 * 1024; ++i)
        note += "line " + std::to_string(i) + ";";
    const std::string body = getInstanceBody(
        "<PROPERTY NAME=\"Note\"  TYPE=\"string\">\n<VALUE>" + note + "</VALUE>\n</PROPERTY>\n");
    std::string response = "HTTP/1.1 200 OK\r\nContent-Type: application/xml; charset=utf-8\r\n"
                           "CIMOperation: MethodResponse\r\nTransfer-Encoding: chunked\r\n"
                           "Trailer: CIMStatusCode\r\n\r\n";
    const std::size_t sizes[] = {1, 7, 4096, 65535, 65537, 200000};
    for (std::size_t at = 0, next = 0; at < body.size(); at += sizes[next], next = (next + 1) % std::size(sizes))
    {
        const std::string chunk = body.substr(at, sizes[next]);
        char size[24];
        std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
        response += size + chunk + "\r\n";
    }
    response += "0\r\nCIMStatusCode: 0\r\n\r\n";
    ReplayServer server({ReplayServer::send(response)});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    const CIMInstance instance = client.getInstance(kNamespace, CIMObjectPath("QMT_Holder.InstanceID=\"h1\""));
    const Uint32 at = instance.findProperty("Note");
    ASSERT_NE(at, PEG_NOT_FOUND);
    String text;
    instance.getProperty(at).getValue().get(text);
    EXPECT_EQ(std::string(text.getCString()), note);
}

// An error status with neither a length nor chunks would only end with the
// connection; its header is the answer, at once, not after the time-out.
TEST(ResponseFraming, ErrorStatusWithoutLengthIsReadFromItsHeaderAlone)
{
    ReplayServer server({ReplayServer::send("HTTP/1.1 500 Internal Server Error\r\n\r\n")});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    client.setTimeout(60000);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(client.enumerateInstances(kNamespace, "MLNX_PCIDevice"),
                 CIMClientHTTPErrorException);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
}

TEST(ResponseFraming, ResponseThatIsNotHttpIsMalformed)
{
    ReplayServer server({ReplayServer::send("SSH-2.0-OpenSSH_9.2\r\n\r\n")});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    try
    {
        client.enumerateInstances(kNamespace, "MLNX_PCIDevice");
        FAIL() << "no exception";
    }
    catch (const CIMClientMalformedHTTPException& e)
    {
        const std::string message(e.getMessage().getCString());
        EXPECT_NE(message.find("not HTTP"), std::string::npos) << message;
    }
}
