// Each way a request can fail reaches the caller as its own exception,
// saying what happened and at which host:port.

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientFailureExceptions.h>

#include "CIMClientInspector.h"
#include "ExceptionMessage.h"
#include "HandWritten.h"
#include "ReplayServer.h"
#include "Vectors.h"

#include <gtest/gtest.h>

using namespace Pegasus;

namespace {

const CIMNamespaceName kNamespace("root/cimv2");

std::string where(const ReplayServer& server)
{
    return "127.0.0.1:" + std::to_string(server.port());
}

}  // namespace

TEST(FailureKind, RefusedConnectionFailsInConnect)
{
    const std::uint16_t port = unusedPort();
    CIMClient client;
    std::string message = messageOf<CannotConnectException>(
        [&] { client.connect("127.0.0.1", port, "", ""); });
    EXPECT_NE(message.find("127.0.0.1:" + std::to_string(port)), std::string::npos) << message;
    EXPECT_NE(message.find("refused"), std::string::npos) << message;
}

TEST(FailureKind, ConnectingTwiceAndRequestsWithoutConnectionAreRefused)
{
    ReplayServer server({});
    CIMClient client;
    EXPECT_THROW(client.enumerateInstances(kNamespace, "X"), NotConnectedException);
    client.connect("127.0.0.1", server.port(), "", "");
    EXPECT_THROW(client.connect("127.0.0.1", server.port(), "", ""), AlreadyConnectedException);
    client.disconnect();
    EXPECT_THROW(client.enumerateInstances(kNamespace, "X"), NotConnectedException);
}

TEST(FailureKind, SilentServerTimesOut)
{
    ReplayServer server({ReplayServer::Reply{ReplayServer::Reply::Kind::Silent, {}}});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    client.setTimeout(300);
    EXPECT_EQ(client.getTimeout(), 300u);
    std::string message = messageOf<ConnectionTimeoutException>(
        [&] { client.enumerateInstances(kNamespace, "MLNX_PCIDevice"); });
    EXPECT_NE(message.find(where(server)), std::string::npos) << message;
    EXPECT_NE(message.find("300 ms"), std::string::npos) << message;
}

TEST(FailureKind, ConnectionClosedMidResponseIsMalformedHttp)
{
    std::string full = okResponse(kEmptyEnumeration);
    ReplayServer server({ReplayServer::Reply{ReplayServer::Reply::Kind::SendAndClose,
                                             full.substr(0, full.size() - 40)}});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    std::string message = messageOf<CIMClientMalformedHTTPException>(
        [&] { client.enumerateInstances(kNamespace, "MLNX_PCIDevice"); });
    EXPECT_NE(message.find(where(server)), std::string::npos) << message;
}

TEST(FailureKind, ClosedWithoutAnswerIsMalformedHttp)
{
    ReplayServer server({ReplayServer::Reply{ReplayServer::Reply::Kind::SendAndClose, ""}});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    std::string message = messageOf<CIMClientMalformedHTTPException>(
        [&] { client.enumerateInstances(kNamespace, "MLNX_PCIDevice"); });
    EXPECT_NE(message.find("without answering"), std::string::npos) << message;
}

TEST(FailureKind, BrokenXmlIsAnXmlException)
{
    ReplayServer server({ReplayServer::send(okResponse("<?xml version=\"1.0\"?>\n<CIM><MESSAGE ID=\"1000\">"
                                                       "<SIMPLERSP></MESSAGE></CIM>"))});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    std::string message = messageOf<CIMClientXmlException>(
        [&] { client.enumerateInstances(kNamespace, "MLNX_PCIDevice"); });
    EXPECT_NE(message.find(where(server)), std::string::npos) << message;
    EXPECT_NE(message.find("byte"), std::string::npos) << message;
}

TEST(FailureKind, ServerErrorIsAnHttpErrorWithStatusAndReason)
{
    ReplayServer server({ReplayServer::send(
        "HTTP/1.1 500 Internal Server Error\r\ncontent-length: 0000000000\r\n\r\n")});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    try
    {
        client.enumerateInstances(kNamespace, "MLNX_PCIDevice");
        FAIL() << "no exception";
    }
    catch (const CIMClientHTTPErrorException& e)
    {
        EXPECT_EQ(e.getCode(), 500u);
        std::string message(e.getMessage().getCString());
        EXPECT_NE(message.find("500 (Internal Server Error)"), std::string::npos) << message;
        EXPECT_NE(message.find(where(server)), std::string::npos) << message;
    }
}

// As OpenPegasus: a response naming another operation is malformed, one to
// another MESSAGE ID is a response exception.
TEST(FailureKind, ResponseForAnotherOperationIsAnXmlExceptionForAnotherMessageAResponseException)
{
    std::string otherOperation = kEmptyEnumeration;
    otherOperation.replace(otherOperation.find("EnumerateInstances"), 18, "EnumerateClassNams");
    std::string otherMessage = kEmptyEnumeration;
    // Of another length than the request's, which the replay server leaves alone.
    otherMessage.replace(otherMessage.find("1000"), 4, "999");
    ReplayServer server({ReplayServer::send(okResponse(otherOperation)),
                         ReplayServer::send(okResponse(otherMessage))});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    EXPECT_THROW(client.enumerateInstances(kNamespace, "MLNX_PCIDevice"), CIMClientXmlException);
    EXPECT_THROW(client.enumerateInstances(kNamespace, "MLNX_PCIDevice"), CIMClientResponseException);
}

TEST(FailureKind, ResponsePastTheSizeLimitIsRefusedAndTheNextRequestReconnects)
{
    if (!vectorsAvailable())
        GTEST_SKIP() << "captured exchanges not found";
    const std::string response = readVectorFile("01-cimcli-ei-MLNX_PCIDevice-iq0", "response.http");
    ReplayServer server({ReplayServer::send(response), ReplayServer::send(response)});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    CIMClientInspector::setResponseLimit(client, 4096);
    std::string message = messageOf<CIMClientResponseTooLargeException>(
        [&] { client.enumerateInstances(kNamespace, "MLNX_PCIDevice"); });
    EXPECT_NE(message.find("4096 bytes"), std::string::npos) << message;

    CIMClientInspector::setResponseLimit(client, 1 << 20);
    EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), 2u);
    EXPECT_EQ(CIMClientInspector::stats(client).connectionsOpened, 2u);
}
