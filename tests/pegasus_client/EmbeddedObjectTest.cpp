// Embedded objects (DSP0201's EmbeddedObject attribute, and the older
// EmbeddedObject and EmbeddedInstance qualifiers of a string property)
// through the client: hand-written responses over a socket, the decoder's
// batched path for large enumerations, and the simulator.

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientException.h>

#include "HandWritten.h"
#include "ReplayServer.h"
#include "codec/InstanceSegments.h"
#include "codec/ResponseDecoder.h"

#ifdef EMBEDDED_INSTANCE_FIXTURE
#include <cimsim/cimsim_process.h>
#endif

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace Pegasus;

namespace {

const CIMNamespaceName kNamespace("root/cimv2");
const CIMObjectPath kHolder("QMT_Holder.InstanceID=\"h1\"");

const std::string kSettings =
    "<INSTANCE CLASSNAME=\"QMT_PortSettings\" >\n"
    "<PROPERTY NAME=\"Mtu\"  TYPE=\"uint32\">\n<VALUE>4096</VALUE>\n</PROPERTY>\n"
    "<PROPERTY NAME=\"Note\"  TYPE=\"string\">\n<VALUE>a &amp; b</VALUE>\n</PROPERTY>\n"
    "</INSTANCE>\n";

std::string cdata(const std::string& text)
{
    return "<![CDATA[" + text + "]]>";
}

std::string embeddedProperty(const std::string& name, const std::string& valueContent,
                             const std::string& attributes = " EmbeddedObject=\"instance\"")
{
    return "<PROPERTY NAME=\"" + name + "\"  TYPE=\"string\"" + attributes + ">\n<VALUE>" + valueContent +
           "</VALUE>\n</PROPERTY>\n";
}

// One server and one client for a run of GetInstance requests: the n-th
// body (given its MESSAGE ID) answers the n-th request.
std::vector<CIMInstance> getInstances(const std::vector<std::function<std::string(unsigned)>>& bodies)
{
    std::vector<ReplayServer::Reply> replies;
    for (std::size_t i = 0; i < bodies.size(); ++i)
        replies.push_back(ReplayServer::send(okResponse(bodies[i](1000 + static_cast<unsigned>(i)))));
    ReplayServer server(replies);
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    std::vector<CIMInstance> instances;
    for (std::size_t i = 0; i < bodies.size(); ++i)
        instances.push_back(client.getInstance(kNamespace, kHolder));
    return instances;
}

CIMInstance getInstance(const std::string& content)
{
    return getInstances({[&](unsigned id) { return getInstanceBody(content, "QMT_Holder", id); }})[0];
}

CIMConstProperty property(const CIMInstance& instance, const char* name)
{
    const Uint32 at = instance.findProperty(name);
    if (at == PEG_NOT_FOUND)
        throw std::runtime_error(std::string("no property ") + name);
    return instance.getProperty(at);
}

CIMInstance embeddedInstance(const CIMInstance& holder, const char* name)
{
    const CIMValue value = property(holder, name).getValue();
    EXPECT_EQ(value.getType(), CIMTYPE_INSTANCE) << name;
    CIMInstance embedded;
    value.get(embedded);
    return embedded;
}

std::string text(const CIMValue& value)
{
    return std::string(value.toString().getCString());
}

void expectSettings(const CIMInstance& settings)
{
    EXPECT_EQ(settings.getClassName(), CIMName("QMT_PortSettings"));
    Uint32 mtu = 0;
    property(settings, "Mtu").getValue().get(mtu);
    EXPECT_EQ(mtu, 4096u);
    EXPECT_EQ(text(property(settings, "Note").getValue()), "a & b");
}

}  // namespace

// The three ways a server may write the same INSTANCE text in a VALUE:
// escaped, as CDATA, and in pieces of both (where OpenPegasus's client
// fails: it reads only the first piece).
TEST(EmbeddedObjects, EscapedCdataAndMixedTextGiveTheSameInstance)
{
    const std::size_t split = kSettings.find("<PROPERTY NAME=\"Note\"");
    const std::string mixed = xmlEscaped(kSettings.substr(0, 20)) + cdata(kSettings.substr(20, split - 20)) +
                              xmlEscaped(kSettings.substr(split));
    const std::vector<CIMInstance> holders = getInstances({
        [&](unsigned id) { return getInstanceBody(embeddedProperty("Settings", xmlEscaped(kSettings)), "QMT_Holder", id); },
        [&](unsigned id) { return getInstanceBody(embeddedProperty("Settings", cdata(kSettings)), "QMT_Holder", id); },
        [&](unsigned id) { return getInstanceBody(embeddedProperty("Settings", mixed), "QMT_Holder", id); },
    });
    for (const CIMInstance& holder : holders)
    {
        const CIMConstProperty settings = property(holder, "Settings");
        EXPECT_FALSE(settings.isArray());
        expectSettings(embeddedInstance(holder, "Settings"));
        // Its text is the INSTANCE element, as OpenPegasus renders it.
        EXPECT_EQ(text(settings.getValue()).rfind("<INSTANCE CLASSNAME=\"QMT_PortSettings\" >\n", 0), 0u);
        EXPECT_EQ(text(settings.getValue()), text(property(holders[0], "Settings").getValue()));
    }
}

TEST(EmbeddedObjects, ObjectsArraysNullsAndTheOlderQualifierForms)
{
    const std::string event = "<INSTANCE CLASSNAME=\"QMT_Event\"><PROPERTY NAME=\"Sequence\" TYPE=\"uint16\">"
                              "<VALUE>7</VALUE></PROPERTY></INSTANCE>";
    const CIMInstance holder = getInstance(
        embeddedProperty("Object", xmlEscaped(event), " EmbeddedObject=\"object\"") +
        "<PROPERTY.ARRAY NAME=\"Objects\"  TYPE=\"string\" EmbeddedObject=\"object\">\n<VALUE.ARRAY>\n<VALUE>" +
        xmlEscaped(event) + "</VALUE>\n<VALUE>" + cdata(kSettings) + "</VALUE>\n</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n"
        // The upper-case spelling of older OpenPegasus servers.
        "<PROPERTY.ARRAY NAME=\"Instances\"  TYPE=\"string\" EMBEDDEDOBJECT=\"instance\">\n<VALUE.ARRAY>\n<VALUE>" +
        xmlEscaped(kSettings) + "</VALUE>\n</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n"
        "<PROPERTY NAME=\"ByInstanceQualifier\"  TYPE=\"string\">\n"
        "<QUALIFIER NAME=\"EmbeddedInstance\" TYPE=\"string\">\n<VALUE>QMT_PortSettings</VALUE>\n</QUALIFIER>\n"
        "<VALUE>" + xmlEscaped(kSettings) + "</VALUE>\n</PROPERTY>\n"
        "<PROPERTY NAME=\"ByObjectQualifier\"  TYPE=\"string\">\n"
        "<QUALIFIER NAME=\"EmbeddedObject\" TYPE=\"boolean\">\n<VALUE>TRUE</VALUE>\n</QUALIFIER>\n"
        "<VALUE>" + xmlEscaped(event) + "</VALUE>\n</PROPERTY>\n"
        "<PROPERTY NAME=\"Unset\"  TYPE=\"string\" EmbeddedObject=\"instance\">\n</PROPERTY>\n"
        "<PROPERTY.ARRAY NAME=\"UnsetArray\"  TYPE=\"string\" EmbeddedObject=\"object\">\n</PROPERTY.ARRAY>\n" +
        embeddedProperty("Empty", "") +
        // Without the attribute the same text is only a string.
        embeddedProperty("Plain", xmlEscaped(kSettings), ""));

    CIMObject object;
    ASSERT_EQ(property(holder, "Object").getType(), CIMTYPE_OBJECT);
    property(holder, "Object").getValue().get(object);
    EXPECT_TRUE(object.isInstance());
    EXPECT_EQ(object.getClassName(), CIMName("QMT_Event"));

    Array<CIMObject> objects;
    property(holder, "Objects").getValue().get(objects);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[1].getClassName(), CIMName("QMT_PortSettings"));

    Array<CIMInstance> instances;
    ASSERT_EQ(property(holder, "Instances").getType(), CIMTYPE_INSTANCE);
    property(holder, "Instances").getValue().get(instances);
    ASSERT_EQ(instances.size(), 1u);
    expectSettings(instances[0]);

    expectSettings(embeddedInstance(holder, "ByInstanceQualifier"));
    // The qualifier stays with the property, as in OpenPegasus.
    EXPECT_NE(property(holder, "ByInstanceQualifier").findQualifier("EmbeddedInstance"), PEG_NOT_FOUND);
    EXPECT_EQ(property(holder, "ByObjectQualifier").getType(), CIMTYPE_OBJECT);

    for (const char* name : {"Unset", "Empty"})
    {
        EXPECT_TRUE(property(holder, name).getValue().isNull()) << name;
        EXPECT_EQ(property(holder, name).getType(), CIMTYPE_INSTANCE) << name;
    }
    EXPECT_TRUE(property(holder, "UnsetArray").isArray());
    EXPECT_EQ(property(holder, "UnsetArray").getType(), CIMTYPE_OBJECT);
    EXPECT_EQ(property(holder, "Plain").getType(), CIMTYPE_STRING);
    EXPECT_EQ(text(property(holder, "Plain").getValue()), kSettings);
}

// Each level's INSTANCE holds the next one, escaped or as CDATA in turn,
// so the innermost text has been escaped once per level above it.
TEST(EmbeddedObjects, NestedToAnyDepth)
{
    const Uint32 depth = 8;
    std::function<std::string(Uint32)> level = [&](Uint32 k) {
        std::string xml = "<INSTANCE CLASSNAME=\"QMT_Level\"><PROPERTY NAME=\"Depth\" TYPE=\"uint32\"><VALUE>" +
                          std::to_string(k) + "</VALUE></PROPERTY>";
        if (k < depth)
        {
            const std::string inner = level(k + 1);
            xml += embeddedProperty("Inner", k % 2 ? cdata(inner) : xmlEscaped(inner));
        }
        return xml + "</INSTANCE>";
    };
    CIMInstance current = getInstance(embeddedProperty("Inner", xmlEscaped(level(1))));
    for (Uint32 k = 1; k <= depth; ++k)
    {
        current = embeddedInstance(current, "Inner");
        Uint32 found = 0;
        property(current, "Depth").getValue().get(found);
        ASSERT_EQ(found, k);
    }
    EXPECT_EQ(current.findProperty("Inner"), PEG_NOT_FOUND);
}

// Return values and output parameters carry the attribute too; an input
// parameter is sent with it, in the form the decoder reads back.
TEST(EmbeddedObjects, MethodValuesBothWays)
{
    const std::string response = methodBody(
        "Configure",
        "<RETURNVALUE PARAMTYPE=\"string\" EmbeddedObject=\"instance\">\n<VALUE>" + xmlEscaped(kSettings) +
            "</VALUE>\n</RETURNVALUE>\n"
            "<PARAMVALUE NAME=\"Previous\" EmbeddedObject=\"object\">\n<VALUE>" + cdata(kSettings) +
            "</VALUE>\n</PARAMVALUE>\n"
            "<PARAMVALUE NAME=\"All\" PARAMTYPE=\"string\" EmbeddedObject=\"instance\">\n<VALUE.ARRAY>\n<VALUE>" +
            xmlEscaped(kSettings) + "</VALUE>\n</VALUE.ARRAY>\n</PARAMVALUE>\n");
    ReplayServer server({ReplayServer::send(okResponse(response))});
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");

    CIMInstance sent(CIMName("QMT_PortSettings"));
    sent.addProperty(CIMProperty(CIMName("Mtu"), CIMValue(Uint32(4096))));
    sent.addProperty(CIMProperty(CIMName("Note"), CIMValue(String("a & b"))));
    Array<CIMParamValue> in;
    in.append(CIMParamValue("Settings", CIMValue(sent), true));
    Array<CIMParamValue> out;
    const CIMValue returned = client.invokeMethod(kNamespace, kHolder, "Configure", in, out);

    ASSERT_EQ(returned.getType(), CIMTYPE_INSTANCE);
    CIMInstance settings;
    returned.get(settings);
    expectSettings(settings);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].getValue().getType(), CIMTYPE_OBJECT);
    EXPECT_FALSE(out[0].isTyped());
    EXPECT_EQ(out[1].getValue().getType(), CIMTYPE_INSTANCE);
    EXPECT_EQ(out[1].getValue().getArraySize(), 1u);

    // The request: a string marked as an embedded instance, whose text is
    // the instance's INSTANCE element; read back, it is the same instance.
    const std::string request = server.requests()[0];
    const std::string opening = "<PARAMVALUE NAME=\"Settings\" PARAMTYPE=\"string\" EmbeddedObject=\"instance\" "
                                "EMBEDDEDOBJECT=\"instance\">\n";
    const std::size_t begin = request.find(opening);
    ASSERT_NE(begin, std::string::npos) << request;
    const std::size_t end = request.find("</PARAMVALUE>", begin);
    std::string echoed = methodBody("Configure", request.substr(begin, end - begin) + "</PARAMVALUE>\n");
    const ClientDetail::MethodResult decoded =
        ClientDetail::decodeInvokeMethodResponse(echoed, {"echo", 1000, "Configure"});
    CIMInstance readBack;
    decoded.outParameters[0].getValue().get(readBack);
    EXPECT_TRUE(readBack.identical(sent));
}

// Large enumerations are parsed a run of instances at a time when the
// body holds nothing but tags and text (escaped embedded objects), and as
// a whole otherwise (CDATA): both give the same instances.
TEST(EmbeddedObjects, LargeEnumerationsDecodeAlikeInRunsAndWhole)
{
    auto body = [](bool withCdata) {
        std::string instances;
        for (int n = 0; n < 400; ++n)
        {
            const std::string value = n == 0 && withCdata ? cdata(kSettings) : xmlEscaped(kSettings);
            instances += "<VALUE.NAMEDINSTANCE>\n<INSTANCENAME CLASSNAME=\"QMT_Holder\">\n<KEYBINDING NAME=\"InstanceID\">\n"
                         "<KEYVALUE VALUETYPE=\"string\">h" + std::to_string(n) + "</KEYVALUE>\n</KEYBINDING>\n"
                         "</INSTANCENAME>\n<INSTANCE CLASSNAME=\"QMT_Holder\" >\n" +
                         embeddedProperty("Settings", value) + "</INSTANCE>\n</VALUE.NAMEDINSTANCE>\n";
        }
        return cimEnvelope("<IMETHODRESPONSE NAME=\"EnumerateInstances\">\n<IRETURNVALUE>\n" + instances +
                           "</IRETURNVALUE>\n</IMETHODRESPONSE>\n");
    };
    std::string inRuns = body(false);
    std::string whole = body(true);
    ASSERT_TRUE(ClientDetail::findInstanceSegments(inRuns).has_value());
    ASSERT_FALSE(ClientDetail::findInstanceSegments(whole).has_value());
    const ClientDetail::ResponseContext context{"cimserver:5988", 1000, "EnumerateInstances"};
    const Array<CIMInstance> fromRuns = ClientDetail::decodeEnumerateInstancesResponse(inRuns, context);
    const Array<CIMInstance> fromWhole = ClientDetail::decodeEnumerateInstancesResponse(whole, context);
    ASSERT_EQ(fromRuns.size(), 400u);
    ASSERT_EQ(fromWhole.size(), 400u);
    for (Uint32 i = 0; i < fromRuns.size(); i += 57)
    {
        expectSettings(embeddedInstance(fromRuns[i], "Settings"));
        EXPECT_TRUE(fromRuns[i].identical(fromWhole[i])) << i;
    }

    // The same text on every instance: still one embedded instance each.
    CIMInstance changed = embeddedInstance(fromRuns[0], "Settings");
    changed.getProperty(changed.findProperty("Mtu")).setValue(CIMValue(Uint32(1500)));
    for (Uint32 i = 1; i < fromRuns.size(); i += 57)
        expectSettings(embeddedInstance(fromRuns[i], "Settings"));
}

TEST(EmbeddedObjects, MalformedEmbeddingsAreXmlExceptions)
{
    struct Case
    {
        const char* what;
        std::string content;
        const char* mentions;
    };
    const Case cases[] = {
        {"attribute neither object nor instance", embeddedProperty("S", xmlEscaped(kSettings), " EmbeddedObject=\"class\""),
         "neither object nor instance"},
        {"attribute on a number",
         "<PROPERTY NAME=\"S\"  TYPE=\"uint32\" EmbeddedObject=\"instance\">\n<VALUE>1</VALUE>\n</PROPERTY>\n",
         "declared a string"},
        {"text that is not XML", embeddedProperty("S", xmlEscaped("<INSTANCE CLASSNAME=\"X\">")), "byte"},
        {"a class", embeddedProperty("S", xmlEscaped("<CLASS NAME=\"X\"></CLASS>"), " EmbeddedObject=\"object\""),
         "embedded class"},
        {"another element", embeddedProperty("S", xmlEscaped("<KEYVALUE>1</KEYVALUE>")), "<INSTANCE>"},
        {"two instances", embeddedProperty("S", xmlEscaped(kSettings + kSettings)), "nothing after"},
        {"bad value inside", embeddedProperty("S", xmlEscaped("<INSTANCE CLASSNAME=\"X\"><PROPERTY NAME=\"N\" "
                                                              "TYPE=\"uint8\"><VALUE>300</VALUE></PROPERTY></INSTANCE>")),
         "\"300\" is not a valid uint8 value"},
        {"empty array element",
         "<PROPERTY.ARRAY NAME=\"S\"  TYPE=\"string\" EmbeddedObject=\"instance\">\n<VALUE.ARRAY>\n<VALUE></VALUE>\n"
         "</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n",
         "empty <VALUE>"},
    };
    std::vector<ReplayServer::Reply> replies;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        replies.push_back(ReplayServer::send(
            okResponse(getInstanceBody(cases[i].content, "QMT_Holder", 1000 + static_cast<unsigned>(i)))));
    ReplayServer server(replies);
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        try
        {
            client.getInstance(kNamespace, kHolder);
            ADD_FAILURE() << "no exception";
        }
        catch (const CIMClientXmlException& e)
        {
            const std::string message(e.getMessage().getCString());
            EXPECT_NE(message.find(c.mentions), std::string::npos) << message;
            EXPECT_NE(message.find("127.0.0.1:" + std::to_string(server.port())), std::string::npos) << message;
        }
    }
}

#ifdef EMBEDDED_INSTANCE_FIXTURE
// The simulator serves an embedded instance (holding another) and an
// array of embedded objects, escaped as an OpenPegasus server writes them.
TEST(EmbeddedObjects, FromTheSimulatorWithGetInstancePathAsOpenPegasusGivesIt)
{
    mlnx_cimsim::testing::CimSimProcess simulator({"--fixture", EMBEDDED_INSTANCE_FIXTURE});
    CIMClient client;
    client.connect(simulator.host().c_str(), simulator.port(), "", "");
    const Array<CIMInstance> holders = client.enumerateInstances(kNamespace, "QMT_SettingsHolder");
    ASSERT_EQ(holders.size(), 1u);
    const CIMObjectPath path = holders[0].getPath();
    EXPECT_EQ(path.getKeyBindings().size(), 1u);

    const CIMInstance holder = client.getInstance(kNamespace, path);
    // OpenPegasus's getInstance: the class name alone, whatever was asked.
    EXPECT_EQ(holder.getPath().toString(), String("QMT_SettingsHolder"));
    EXPECT_TRUE(holder.getPath().getKeyBindings().size() == 0 && holder.getPath().getHost().size() == 0);

    for (const CIMInstance& served : {holders[0], holder})
    {
        const CIMInstance settings = embeddedInstance(served, "Settings");
        Uint32 mtu = 0;
        property(settings, "Mtu").getValue().get(mtu);
        EXPECT_EQ(mtu, 4096u);
        EXPECT_EQ(text(property(settings, "Note").getValue()), "a & b <c>");
        Uint64 speed = 0;
        property(embeddedInstance(settings, "Link"), "Speed").getValue().get(speed);
        EXPECT_EQ(speed, 100000000000ULL);

        Array<CIMObject> history;
        ASSERT_EQ(property(served, "History").getType(), CIMTYPE_OBJECT);
        property(served, "History").getValue().get(history);
        ASSERT_EQ(history.size(), 2u);
        EXPECT_EQ(text(history[1].getProperty(0).getValue()), "2");
        EXPECT_TRUE(property(served, "Unset").getValue().isNull());
        EXPECT_EQ(property(served, "Unset").getType(), CIMTYPE_INSTANCE);
    }
}
#endif
