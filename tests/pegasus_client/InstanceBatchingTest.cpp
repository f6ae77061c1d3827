// Large EnumerateInstances responses are parsed a run of instances at a
// time, with names and qualifier values decoded once per response. These
// tests hold that to decoding the whole document: same objects, same
// errors, and objects that do not leak changes into each other.

#include "codec/InstanceSegments.h"
#include "codec/ResponseDecoder.h"

#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>

#include <gtest/gtest.h>

#include <string>

using namespace Pegasus;
using namespace Pegasus::ClientDetail;

namespace {

const ResponseContext kContext{"cimserver:5988", 1000, "EnumerateInstances"};

std::string instanceXml(int n)
{
    const std::string id = "port" + std::to_string(n);
    return "<VALUE.NAMEDINSTANCE>\n<INSTANCENAME CLASSNAME=\"MLNX_IBPort\">\n"
           "<KEYBINDING NAME=\"DeviceID\">\n<KEYVALUE VALUETYPE=\"string\">" + id +
           "</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n<INSTANCE CLASSNAME=\"MLNX_IBPort\" >\n"
           "<QUALIFIER NAME=\"Description\" TYPE=\"string\" PROPAGATED=\"true\">\n"
           "<VALUE>InfiniBand port</VALUE>\n</QUALIFIER>\n"
           "<PROPERTY NAME=\"DeviceID\"  TYPE=\"string\">\n<VALUE>" + id + "</VALUE>\n</PROPERTY>\n"
           "<PROPERTY NAME=\"PortType\"  TYPE=\"uint16\">\n"
           "<QUALIFIER NAME=\"ValueMap\" TYPE=\"string\">\n<VALUE.ARRAY>\n"
           "<VALUE>0</VALUE>\n<VALUE>1</VALUE>\n<VALUE>2</VALUE>\n</VALUE.ARRAY>\n</QUALIFIER>\n"
           "<QUALIFIER NAME=\"Values\" TYPE=\"string\" TRANSLATABLE=\"true\">\n<VALUE.ARRAY>\n"
           "<VALUE>Unknown</VALUE>\n<VALUE>Other</VALUE>\n<VALUE>IB &amp; more</VALUE>\n"
           "</VALUE.ARRAY>\n</QUALIFIER>\n<VALUE>" + std::to_string(n % 3) +
           "</VALUE>\n</PROPERTY>\n"
           "<PROPERTY.ARRAY NAME=\"OperationalStatus\"  TYPE=\"uint16\">\n<VALUE.ARRAY>\n"
           "<VALUE>2</VALUE>\n<VALUE>" + std::to_string(n) + "</VALUE>\n</VALUE.ARRAY>\n"
           "</PROPERTY.ARRAY>\n"
           "<PROPERTY NAME=\"Speed\"  PROPAGATED=\"true\" TYPE=\"uint64\">\n</PROPERTY>\n"
           // Qualifiers alike but for a flavor, one empty, and a property
           // whose last child is a qualifier.
           "<PROPERTY NAME=\"LinkState\"  TYPE=\"uint16\">\n"
           "<QUALIFIER NAME=\"Values\" TYPE=\"string\"" +
           std::string(n % 2 ? " TRANSLATABLE=\"true\"" : "") +
           ">\n<VALUE.ARRAY>\n<VALUE>Down</VALUE>\n<VALUE>Up &gt; 1</VALUE>\n</VALUE.ARRAY>\n"
           "</QUALIFIER>\n<QUALIFIER NAME=\"Deprecated\" TYPE=\"string\"/>\n"
           "<QUALIFIER NAME=\"Units\" TYPE=\"string\">\n<VALUE>" + std::to_string(n % 3) +
           " bits</VALUE>\n</QUALIFIER>\n</PROPERTY>\n"
           "</INSTANCE>\n</VALUE.NAMEDINSTANCE>\n";
}

// `count` instances, `middle` inserted between IRETURNVALUE and the first one.
std::string response(int count, const std::string& middle = "", const std::string& afterEnvelope = "")
{
    std::string body = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
                       "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
                       "<MESSAGE ID=\"1000\" PROTOCOLVERSION=\"1.0\">\n<SIMPLERSP>\n"
                       "<IMETHODRESPONSE NAME=\"EnumerateInstances\">\n<IRETURNVALUE>\n" + middle;
    for (int n = 0; n < count; ++n)
        body += instanceXml(n);
    return body + "</IRETURNVALUE>\n</IMETHODRESPONSE>\n</SIMPLERSP>\n</MESSAGE>\n</CIM>\n" +
           afterEnvelope;
}

// Enough instances for several runs of the batch size.
constexpr int kMany = 400;

std::string decodeError(std::string body)
{
    try
    {
        decodeEnumerateInstancesResponse(body, kContext);
    }
    catch (const CIMClientXmlException& e)
    {
        return std::string(e.getMessage().getCString());
    }
    return "no error";
}

// The byte offset a message gives after "byte ".
std::size_t offsetIn(const std::string& message)
{
    const std::size_t at = message.find("byte ");
    return at == std::string::npos ? 0 : std::stoul(message.substr(at + 5));
}

}  // namespace

TEST(InstanceSegments, FoundOnlyWhereEveryTagIsPlainMarkup)
{
    const std::string plain = response(3);
    auto segments = findInstanceSegments(plain);
    ASSERT_TRUE(segments);
    ASSERT_EQ(segments->size(), 3u);
    for (const ByteRange& range : *segments)
    {
        const std::string text = plain.substr(range.begin, range.end - range.begin);
        EXPECT_EQ(text, instanceXml(static_cast<int>(&range - &(*segments)[0])).substr(0, text.size()));
    }

    struct Case
    {
        const char* what;
        std::string body;
    };
    std::string spacedTag = plain;
    spacedTag.replace(spacedTag.find("<VALUE.NAMEDINSTANCE>"), 21, "<VALUE.NAMEDINSTANCE >");
    const Case refused[] = {
        {"a comment", response(3, "<!-- </VALUE.NAMEDINSTANCE> -->\n")},
        {"a comment after the document", response(3, "", "<!-- x -->")},
        {"CDATA", response(3, "", "") .replace(plain.find("<VALUE>port0"), 7, "<VALUE><![CDATA[x]]>")},
        {"a processing instruction", response(3, "<?note x?>\n")},
        {"another element first", response(3, "<VALUE.NULL/>\n")},
        {"text between instances", response(1) .insert(plain.find("</VALUE.NAMEDINSTANCE>") + 23, "x")},
        {"a start tag with a blank", spacedTag},
        {"no instances", response(0)},
    };
    for (const Case& c : refused)
    {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(findInstanceSegments(c.body));
    }
}

TEST(InstanceBatching, DecodesAsTheWholeDocumentDoes)
{
    // A comment makes the decoder parse the body whole.
    std::string batched = response(kMany);
    std::string whole = response(kMany, "<!-- parsed whole -->\n");
    ASSERT_TRUE(findInstanceSegments(batched));
    ASSERT_GT(batched.size(), 3u * 64 * 1024);

    const Array<CIMInstance> fromBatches = decodeEnumerateInstancesResponse(batched, kContext);
    const Array<CIMInstance> fromWhole = decodeEnumerateInstancesResponse(whole, kContext);
    ASSERT_EQ(fromBatches.size(), Uint32(kMany));
    ASSERT_EQ(fromWhole.size(), Uint32(kMany));
    for (Uint32 i = 0; i < fromBatches.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_TRUE(fromBatches[i].identical(fromWhole[i]));
        EXPECT_EQ(fromBatches[i].getPath().toString(), fromWhole[i].getPath().toString());
    }
    CIMConstProperty last = fromBatches[kMany - 1].getProperty(
        fromBatches[kMany - 1].findProperty("OperationalStatus"));
    Array<Uint16> status;
    last.getValue().get(status);
    ASSERT_EQ(status.size(), 2u);
    EXPECT_EQ(status[1], kMany - 1);

    for (Uint32 i : {0u, 1u, 2u, 3u})
    {
        SCOPED_TRACE(i);
        CIMConstProperty state = fromBatches[i].getProperty(fromBatches[i].findProperty("LinkState"));
        ASSERT_EQ(state.getQualifierCount(), 3u);
        EXPECT_EQ(state.getQualifier(0).getFlavor().hasFlavor(CIMFlavor::TRANSLATABLE), i % 2 == 1);
        EXPECT_EQ(state.getQualifier(1).getName(), CIMName("Deprecated"));
        EXPECT_TRUE(state.getQualifier(1).getValue().isNull());
        EXPECT_EQ(state.getQualifier(2).getValue().toString(), String((std::to_string(i % 3) + " bits").c_str()));
    }
}

#define kPortType                                                                          \
    "<PROPERTY NAME=\"PortType\"  TYPE=\"uint16\">\n<QUALIFIER NAME=\"ValueMap\" TYPE=\"string\">\n" \
    "<VALUE.ARRAY>\n"

#define kSpeed "<PROPERTY NAME=\"Speed\"  PROPAGATED=\"true\" TYPE=\"uint64\">\n</PROPERTY>\n"

TEST(InstanceBatching, ErrorsInALaterRunNameTheirByteInTheResponse)
{
    struct Case
    {
        const char* what;
        const char* from;
        const char* to;
        const char* says;
    };
    const Case cases[] = {
        {"a value that does not fit its type", "<VALUE>2</VALUE>\n<VALUE>350</VALUE>",
         "<VALUE>2</VALUE>\n<VALUE>350x</VALUE>", "\"350x\" is not a valid uint16 value"},
        {"an unclosed element", "<VALUE>port350</VALUE>", "<VALUE>port350", "at byte"},
        // Qualifiers are parsed a run at a time, apart from their instance.
        {"a qualifier that is not well-formed", "port350</VALUE>\n</PROPERTY>\n" kPortType "<VALUE>0</VALUE>",
         "port350</VALUE>\n</PROPERTY>\n" kPortType "<VALUE>0</VALUE", "at byte"},
        {"a qualifier of no CIM type", "port350</VALUE>\n</PROPERTY>\n" kPortType,
         "port350</VALUE>\n</PROPERTY>\n<PROPERTY NAME=\"PortType\"  TYPE=\"uint16\">\n"
         "<QUALIFIER NAME=\"ValueMap\" TYPE=\"strange\">\n<VALUE.ARRAY>\n",
         "unknown CIM type \"strange\""},
        // Properties written alike on every instance are decoded once.
        {"a property of no CIM type", "port350</VALUE>\n</PROPERTY>\n" kPortType,
         "port350</VALUE>\n</PROPERTY>\n" kSpeed "<PROPERTY NAME=\"Stray\"  TYPE=\"uint65\">\n</PROPERTY>\n"
         kPortType, "unknown CIM type \"uint65\""},
        {"a repeated property twice", "port350</VALUE>\n</PROPERTY>\n" kPortType,
         "port350</VALUE>\n</PROPERTY>\n" kSpeed kSpeed kPortType, "duplicate property \"Speed\""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string body = response(kMany);
        const std::size_t at = body.find(c.from);
        ASSERT_NE(at, std::string::npos);
        body.replace(at, std::string(c.from).size(), c.to);
        const std::size_t instanceBegin = body.rfind("<VALUE.NAMEDINSTANCE>", at);
        const std::size_t instanceEnd = body.find("</VALUE.NAMEDINSTANCE>", at);

        const std::string message = decodeError(body);
        EXPECT_NE(message.find("cimserver:5988"), std::string::npos) << message;
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        const std::size_t offset = offsetIn(message);
        EXPECT_GE(offset, instanceBegin) << message;
        EXPECT_LE(offset, instanceEnd) << message;
    }
}

TEST(InstanceBatching, DecodedInstancesDoNotShareChanges)
{
    std::string body = response(kMany);
    Array<CIMInstance> instances = decodeEnumerateInstancesResponse(body, kContext);
    ASSERT_EQ(instances.size(), Uint32(kMany));

    CIMProperty first = instances[0].getProperty(instances[0].findProperty("PortType"));
    CIMQualifier values = first.getQualifier(first.findQualifier("Values"));
    Array<String> changed;
    changed.append("changed");
    values.setValue(CIMValue(changed));
    first.setValue(CIMValue(Uint16(7)));

    CIMConstProperty other = instances[kMany - 1].getProperty(
        instances[kMany - 1].findProperty("PortType"));
    Array<String> texts;
    other.getQualifier(other.findQualifier("Values")).getValue().get(texts);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[2], String("IB & more"));
    EXPECT_EQ(other.getValue().toString(), String("0"));  // kMany - 1 = 399, 399 % 3
}
