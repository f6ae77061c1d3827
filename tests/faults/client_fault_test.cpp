// Faults below the module, in the client library: a server that accepts and
// never answers (the module's own time-outs are a minute or more, so the
// client is driven here with a short one), and CIM-XML bodies cut short at
// every point of interest.

#include <gtest/gtest.h>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Common/Exception.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ResponseDecoder.h"
#include "cim_module_support/fixture_document.h"
#include "cimsim/cimsim_process.h"

namespace {

using mlnx_cimsim::testing::CimSimProcess;
using Pegasus::CIMClient;

const Pegasus::CIMNamespaceName kNamespace("root/cimv2");

std::string MessageOf(const Pegasus::Exception& e)
{
    return std::string(e.getMessage().getCString());
}

void ExpectSilentServerTimesOutThenAnswers(CimSimProcess& server)
{
    const size_t pciDevices =
        cim_module_support::FixtureDocument(CimSimProcess::defaultFixturePath()).InstancesOf("MLNX_PCIDevice").size();
    CIMClient client;
    if (server.https()) {
        client.connect("127.0.0.1", server.port(), Pegasus::SSLContext(Pegasus::String(), nullptr, Pegasus::String()),
                       "", "");
    } else {
        client.connect("127.0.0.1", server.port(), "", "");
    }
    client.setTimeout(300);
    // Accepts the request and says nothing for far longer than the client waits.
    server.control(R"({"delay_ms": 5000, "times": 1})");
    try {
        client.enumerateInstances(kNamespace, "MLNX_PCIDevice");
        ADD_FAILURE() << "no time-out";
    } catch (const Pegasus::ConnectionTimeoutException& e) {
        EXPECT_EQ(MessageOf(e), "The CIM server at 127.0.0.1:" + std::to_string(server.port()) +
                                    " did not answer within 300 ms; the connection was closed");
    }
    // The fault is gone: the same client answers on a new connection.
    EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), pciDevices);
}

TEST(SilentServer, PlainClientTimesOutAndTheSameClientWorksAfterwards)
{
    CimSimProcess server;
    ExpectSilentServerTimesOutThenAnswers(server);
}

TEST(SilentServer, TlsClientTimesOutAndTheSameClientWorksAfterwards)
{
    CimSimProcess server({"--https"});
    ExpectSilentServerTimesOutThenAnswers(server);
}

// The captured enumeration bodies among the fuzz seeds.
std::vector<std::string> CapturedEnumerations()
{
    std::vector<std::string> bodies;
    for (const auto& entry : std::filesystem::directory_iterator(FUZZ_SEEDS_DIR "/cimxml_response")) {
        std::ifstream file(entry.path(), std::ios::binary);
        std::string body((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (body.find("<IMETHODRESPONSE NAME=\"EnumerateInstances\">") != std::string::npos &&
            body.find("<ERROR") == std::string::npos) {
            bodies.push_back(std::move(body));
        }
    }
    return bodies;
}

Pegasus::ClientDetail::ResponseContext ContextOf(const std::string& body)
{
    Pegasus::ClientDetail::ResponseContext context;
    context.where = "127.0.0.1:5988";
    context.operation = "EnumerateInstances";
    const size_t id = body.find("MESSAGE ID=\"") + 12;
    std::from_chars(body.data() + id, body.data() + body.size(), context.messageId);
    return context;
}

TEST(TruncatedResponse, EveryEnumerationCutShortIsRefusedAsMalformedXml)
{
    const std::vector<std::string> bodies = CapturedEnumerations();
    ASSERT_GE(bodies.size(), 10u) << "seed corpus missing under " FUZZ_SEEDS_DIR;
    size_t cuts = 0;
    for (const std::string& whole : bodies) {
        const Pegasus::ClientDetail::ResponseContext context = ContextOf(whole);
        std::string copy = whole;
        ASSERT_NO_THROW(Pegasus::ClientDetail::decodeEnumerateInstancesResponse(copy, context));
        const size_t end = whole.rfind("</CIM>");
        ASSERT_NE(end, std::string::npos);
        // Every cut near both ends, where the framing lies, and a spread inside.
        for (size_t cut = 0; cut < end + 5; cut += (cut < 400 || cut + 400 > end) ? 1 : 61) {
            std::string body = whole.substr(0, cut);
            try {
                Pegasus::ClientDetail::decodeEnumerateInstancesResponse(body, context);
                ADD_FAILURE() << "a body cut after " << cut << " of " << whole.size() << " bytes was accepted";
            } catch (const Pegasus::CIMClientXmlException& e) {
                EXPECT_NE(MessageOf(e).find("Malformed CIM-XML response from the CIM server at 127.0.0.1:5988"),
                          std::string::npos);
            } catch (const Pegasus::Exception& e) {
                ADD_FAILURE() << "cut after " << cut << ": " << MessageOf(e);
            }
            ++cuts;
        }
    }
    RecordProperty("cuts", static_cast<int>(cuts));
}

}  // namespace
