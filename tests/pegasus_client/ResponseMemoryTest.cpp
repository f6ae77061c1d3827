// What one response can make the client hold: at most the default limit of
// body, and a parser's tree refused before it grows to many times the body.

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Client/CIMClientFailureExceptions.h>

#include "ExceptionMessage.h"
#include "HandWritten.h"
#include "ReplayServer.h"
#include "Vectors.h"
#include "transport/HttpTransport.h"
#include "xml/PugiTreeBound.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <string>
#include <vector>

using namespace Pegasus;
using Pegasus::ClientDetail::kDefaultResponseLimit;
using Pegasus::ClientDetail::kTreeBytesPerTextByte;
using Pegasus::ClientDetail::pugiTreeBytesBound;

namespace {

const CIMNamespaceName kNamespace("root/cimv2");

std::string enumerationBody(const std::string& returned)
{
    return cimEnvelope("<IMETHODRESPONSE NAME=\"EnumerateInstances\">\n<IRETURNVALUE>\n" + returned +
                       "</IRETURNVALUE>\n</IMETHODRESPONSE>\n");
}

std::string repeated(const std::string& unit, std::size_t bytes)
{
    std::string out;
    out.reserve(bytes + unit.size());
    while (out.size() < bytes)
        out += unit;
    return out;
}

std::string nested(std::size_t depth)
{
    return repeated("<a>", 3 * depth) + repeated("</a>", 4 * depth);
}

// pugixml's allocations while one document is parsed, counted through its
// allocation hooks (this test program's own).
std::size_t allocatedForTree = 0;

void* countingAllocate(std::size_t size)
{
    allocatedForTree += size;
    return std::malloc(size);
}

std::size_t treeBytes(std::string text)
{
    pugi::set_memory_management_functions(countingAllocate, std::free);
    allocatedForTree = 0;
    {
        pugi::xml_document document;
        document.load_buffer_inplace(text.data(), text.size(),
                                     pugi::parse_cdata | pugi::parse_escapes |
                                         pugi::parse_wconv_attribute | pugi::parse_eol |
                                         pugi::parse_embed_pcdata | pugi::parse_fragment,
                                     pugi::encoding_utf8);
    }
    pugi::set_memory_management_functions(std::malloc, std::free);
    return allocatedForTree;
}

}  // namespace

// The bound must never fall below the tree pugixml really builds, or a
// hostile body would get past it; and real responses must stay well under
// the refusal threshold.
TEST(ResponseMemory, TreeBoundCoversTheParsersTreeAndLeavesRealResponsesBelowTheThreshold)
{
    const std::size_t size = 1 << 20;
    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"tiny elements", repeated("<a/>", size)},
        {"deep nesting", nested(size / 7)},
        {"long attribute list", "<a" + repeated(" b=\"\"", size) + "/>"},
        {"text after empty elements", repeated("<a/>x", size)},
        {"text after end tags", repeated("<a>x</a>y", size)},
        {"comments and CDATA", repeated("<!--c--><![CDATA[x]]>y", size)},
    };
    for (const auto& [kind, text] : hostile)
    {
        const std::size_t bound = pugiTreeBytesBound(text);
        EXPECT_GE(bound + 64 * 1024, treeBytes(text)) << kind;
        EXPECT_GT(bound, kTreeBytesPerTextByte * text.size()) << kind << " is not refused";
    }

    if (!vectorsAvailable())
        GTEST_SKIP() << "captured exchanges not found";
    for (const char* exchange : {"02-cimcli-ei-MLNX_PCIDevice-iq1", "08-cimcli-ei-MLNX_FirmwareIdentity-iq1",
                                 "04-cimcli-ei-MLNX_IBPort-iq1"})
    {
        const std::string body =
            dechunked(httpBody(readVectorFile(exchange, "response.http")));
        const std::string many = repeated(body, size);
        EXPECT_GE(pugiTreeBytesBound(many) + 64 * 1024, treeBytes(many)) << exchange;
        EXPECT_LT(pugiTreeBytesBound(many), kTreeBytesPerTextByte * many.size()) << exchange;
    }
}

TEST(ResponseMemory, BodiesOfTinyElementsOrDeepNestingAreRefusedAndTheClientGoesOn)
{
    const std::string tiny = enumerationBody(repeated("<a/>", 1 << 20));
    const std::string deep = enumerationBody(nested(200 * 1000));
    const std::string empty = enumerationBody("");
    ReplayServer server({ReplayServer::send(okResponse(tiny)), ReplayServer::send(okResponse(deep)),
                         ReplayServer::send(okResponse(empty))});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    for (int i = 0; i < 2; ++i)
    {
        const std::string message = messageOf<CIMClientResponseException>(
            [&] { client.enumerateInstances(kNamespace, "MLNX_PCIDevice"); });
        EXPECT_NE(message.find("127.0.0.1:" + std::to_string(server.port())), std::string::npos)
            << message;
        EXPECT_NE(message.find("times its size: refused"), std::string::npos) << message;
    }
    EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), 0u);
}

TEST(ResponseMemory, DefaultLimitAcceptsThirtyTwoMebibytesAndRefusesOneByteMore)
{
    ASSERT_EQ(kDefaultResponseLimit, std::size_t{32} << 20);
    const std::string empty = enumerationBody("");
    std::string atLimit = empty;
    atLimit.insert(atLimit.find("</IRETURNVALUE>"), kDefaultResponseLimit - empty.size(), ' ');
    const std::string overLimit = atLimit + "\n";
    ReplayServer server({ReplayServer::send(okResponse(atLimit)), ReplayServer::send(okResponse(overLimit))});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    EXPECT_EQ(client.enumerateInstances(kNamespace, "MLNX_PCIDevice").size(), 0u);
    const std::string message = messageOf<CIMClientResponseTooLargeException>(
        [&] { client.enumerateInstances(kNamespace, "MLNX_PCIDevice"); });
    EXPECT_NE(message.find(std::to_string(kDefaultResponseLimit) + " bytes"), std::string::npos)
        << message;
}

// Past the decoder's memo of a few thousand distinct names and values each
// text is decoded on its own: every property keeps its own name and value.
TEST(ResponseMemory, InstanceOfThousandsOfDistinctPropertiesDecodesWhole)
{
    const int count = 6000;
    std::string content;
    for (int i = 0; i < count; ++i)
    {
        const std::string n = std::to_string(i);
        content += "<PROPERTY.ARRAY NAME=\"P" + n + "\" TYPE=\"uint32\"><VALUE.ARRAY><VALUE>" + n +
                   "</VALUE></VALUE.ARRAY></PROPERTY.ARRAY>\n";
    }
    ReplayServer server({ReplayServer::send(okResponse(getInstanceBody(content)))});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    const CIMInstance instance =
        client.getInstance(kNamespace, CIMObjectPath("QMT_Holder.Name=\"x\""));
    ASSERT_EQ(instance.getPropertyCount(), Uint32(count));
    for (int i : {0, 4095, 4096, 4097, count - 1})
    {
        const Uint32 at = instance.findProperty(CIMName(String(("p" + std::to_string(i)).c_str())));
        ASSERT_EQ(at, Uint32(i));
        Array<Uint32> values;
        instance.getProperty(at).getValue().get(values);
        ASSERT_EQ(values.size(), 1u);
        EXPECT_EQ(values[0], Uint32(i));
    }
}
