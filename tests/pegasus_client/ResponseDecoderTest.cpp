// The CIM-XML decoder on bodies handed to it directly: wire quirks of real
// servers, elements the replayed exchanges do not reach, and malformed
// documents.

#include "codec/ResponseDecoder.h"
#include "Vectors.h"

#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

using namespace Pegasus;
using namespace Pegasus::ClientDetail;

namespace {

ResponseContext context(const char* operation, Uint32 id = 1000)
{
    return ResponseContext{"cimserver:5988", id, operation};
}

std::string envelope(const std::string& response, Uint32 id = 1000)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"" + std::to_string(id) + "\" PROTOCOLVERSION=\"1.0\">\n<SIMPLERSP>\n" +
           response + "</SIMPLERSP>\n</MESSAGE>\n</CIM>\n";
}

std::string getInstanceBody(const std::string& instanceContent)
{
    return envelope("<IMETHODRESPONSE NAME=\"GetInstance\">\n<IRETURNVALUE>\n"
                    "<INSTANCE CLASSNAME=\"MLNX_Test\" >\n" + instanceContent +
                    "</INSTANCE>\n</IRETURNVALUE>\n</IMETHODRESPONSE>\n");
}

CIMConstProperty property(const CIMInstance& instance, const char* name)
{
    Uint32 at = instance.findProperty(name);
    EXPECT_NE(at, PEG_NOT_FOUND) << name;
    return instance.getProperty(at);
}

}  // namespace

TEST(ResponseDecoder, CharacterReferencesThatXml10ForbidsStillDecode)
{
    std::string body = getInstanceBody(
        "<PROPERTY NAME=\"Text\"  TYPE=\"string\">\n"
        "<VALUE>&#32;a&#11;b&#12;c&#9;d&#10;e&#13;f&#32;</VALUE>\n</PROPERTY>\n");
    CIMInstance instance = decodeGetInstanceResponse(body, context("GetInstance"));
    EXPECT_EQ(std::string(property(instance, "Text").getValue().toString().getCString()),
              " a\vb\fc\td\ne\rf ");
}

TEST(ResponseDecoder, ValuesOfEveryScalarTypeAndArraysAndNulls)
{
    std::string body = getInstanceBody(
        "<PROPERTY NAME=\"B\"  TYPE=\"boolean\">\n<VALUE>TRUE</VALUE>\n</PROPERTY>\n"
        "<PROPERTY NAME=\"U64\"  TYPE=\"uint64\">\n<VALUE>100000000000</VALUE>\n</PROPERTY>\n"
        "<PROPERTY NAME=\"S8\"  TYPE=\"sint8\">\n<VALUE>-128</VALUE>\n</PROPERTY>\n"
        "<PROPERTY NAME=\"R\"  TYPE=\"real64\">\n<VALUE>1.5</VALUE>\n</PROPERTY>\n"
        "<PROPERTY NAME=\"C\"  TYPE=\"char16\">\n<VALUE>x</VALUE>\n</PROPERTY>\n"
        "<PROPERTY NAME=\"D\"  TYPE=\"datetime\">\n<VALUE>20210101000000.******+000</VALUE>\n</PROPERTY>\n"
        "<PROPERTY NAME=\"Null\"  PROPAGATED=\"true\" TYPE=\"uint32\">\n</PROPERTY>\n"
        "<PROPERTY.ARRAY NAME=\"A\"  TYPE=\"uint16\">\n<VALUE.ARRAY>\n<VALUE>1</VALUE>\n<VALUE>3</VALUE>\n"
        "</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n"
        "<PROPERTY.ARRAY NAME=\"Empty\"  TYPE=\"string\">\n<VALUE.ARRAY>\n</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n"
        "<PROPERTY.ARRAY NAME=\"NullArray\"  TYPE=\"string\" PROPAGATED=\"true\">\n</PROPERTY.ARRAY>\n");
    CIMInstance instance = decodeGetInstanceResponse(body, context("GetInstance"));

    EXPECT_EQ(property(instance, "B").getValue().toString(), String("TRUE"));
    Uint64 big = 0;
    property(instance, "U64").getValue().get(big);
    EXPECT_EQ(big, 100000000000ULL);
    Sint8 small = 0;
    property(instance, "S8").getValue().get(small);
    EXPECT_EQ(small, -128);
    Real64 real = 0;
    property(instance, "R").getValue().get(real);
    EXPECT_DOUBLE_EQ(real, 1.5);
    EXPECT_EQ(property(instance, "C").getType(), CIMTYPE_CHAR16);
    EXPECT_EQ(property(instance, "D").getValue().toString(), String("20210101000000.******+000"));
    EXPECT_TRUE(property(instance, "Null").getValue().isNull());
    EXPECT_TRUE(property(instance, "Null").getPropagated());
    Array<Uint16> values;
    property(instance, "A").getValue().get(values);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[1], 3);
    EXPECT_FALSE(property(instance, "Empty").getValue().isNull());
    EXPECT_EQ(property(instance, "Empty").getValue().getArraySize(), 0u);
    EXPECT_TRUE(property(instance, "NullArray").getValue().isNull());
    EXPECT_TRUE(property(instance, "NullArray").isArray());
}

TEST(ResponseDecoder, QualifiersWithArrayValuesAndFlavors)
{
    std::string body = getInstanceBody(
        "<QUALIFIER NAME=\"Description\" TYPE=\"string\" PROPAGATED=\"true\" TRANSLATABLE=\"true\">\n"
        "<VALUE>Test class</VALUE>\n</QUALIFIER>\n"
        "<PROPERTY NAME=\"PortType\"  TYPE=\"uint16\">\n"
        "<QUALIFIER NAME=\"ValueMap\" TYPE=\"string\" TOSUBCLASS=\"false\">\n<VALUE.ARRAY>\n"
        "<VALUE>0</VALUE>\n<VALUE>1</VALUE>\n<VALUE>..</VALUE>\n</VALUE.ARRAY>\n</QUALIFIER>\n"
        "<QUALIFIER NAME=\"Values\" TYPE=\"string\" TRANSLATABLE=\"true\">\n<VALUE.ARRAY>\n"
        "<VALUE>Unknown</VALUE>\n<VALUE>Other</VALUE>\n<VALUE>Reserved</VALUE>\n</VALUE.ARRAY>\n</QUALIFIER>\n"
        "<VALUE>1</VALUE>\n</PROPERTY>\n");
    CIMInstance instance = decodeGetInstanceResponse(body, context("GetInstance"));

    ASSERT_EQ(instance.getQualifierCount(), 1u);
    EXPECT_TRUE(instance.getQualifier(0).getPropagated());
    EXPECT_TRUE(instance.getQualifier(0).getFlavor().hasFlavor(CIMFlavor::TRANSLATABLE));
    CIMConstProperty portType = property(instance, "PortType");
    EXPECT_EQ(portType.getValue().toString(), String("1"));
    Uint32 valueMap = portType.findQualifier("ValueMap");
    ASSERT_NE(valueMap, PEG_NOT_FOUND);
    EXPECT_TRUE(portType.getQualifier(valueMap).isArray());
    EXPECT_FALSE(portType.getQualifier(valueMap).getFlavor().hasFlavor(CIMFlavor::TOSUBCLASS));
    Array<String> values;
    portType.getQualifier(portType.findQualifier("Values")).getValue().get(values);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[1], String("Other"));
}

TEST(ResponseDecoder, ReferencePropertiesAndReferenceKeysBecomeObjectPaths)
{
    std::string body = getInstanceBody(
        "<PROPERTY.REFERENCE NAME=\"Antecedent\"  REFERENCECLASS=\"CIM_ManagedElement\">\n"
        "<VALUE.REFERENCE>\n<INSTANCEPATH>\n<NAMESPACEPATH>\n<HOST>vm</HOST>\n<LOCALNAMESPACEPATH>\n"
        "<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n</LOCALNAMESPACEPATH>\n</NAMESPACEPATH>\n"
        "<INSTANCENAME CLASSNAME=\"MLNX_Job\">\n<KEYBINDING NAME=\"InstanceID\">\n"
        "<KEYVALUE VALUETYPE=\"string\">job &quot;1&quot;</KEYVALUE>\n</KEYBINDING>\n"
        "<KEYBINDING NAME=\"Owner\">\n<VALUE.REFERENCE>\n<INSTANCENAME CLASSNAME=\"X\">\n"
        "<KEYBINDING NAME=\"N\">\n<KEYVALUE VALUETYPE=\"numeric\">7</KEYVALUE>\n</KEYBINDING>\n"
        "</INSTANCENAME>\n</VALUE.REFERENCE>\n</KEYBINDING>\n"
        "</INSTANCENAME>\n</INSTANCEPATH>\n</VALUE.REFERENCE>\n</PROPERTY.REFERENCE>\n"
        "<PROPERTY.REFERENCE NAME=\"Unset\"  REFERENCECLASS=\"X\">\n</PROPERTY.REFERENCE>\n");
    CIMInstance instance = decodeGetInstanceResponse(body, context("GetInstance"));

    CIMConstProperty antecedent = property(instance, "Antecedent");
    EXPECT_EQ(antecedent.getType(), CIMTYPE_REFERENCE);
    EXPECT_EQ(antecedent.getReferenceClassName(), CIMName("CIM_ManagedElement"));
    CIMObjectPath path;
    antecedent.getValue().get(path);
    EXPECT_EQ(path.getHost(), String("vm"));
    EXPECT_EQ(path.getNameSpace(), CIMNamespaceName("root/cimv2"));
    ASSERT_EQ(path.getKeyBindings().size(), 2u);
    EXPECT_EQ(path.getKeyBindings()[0].getValue(), String("job \"1\""));
    EXPECT_EQ(path.getKeyBindings()[1].getType(), CIMKeyBinding::REFERENCE);
    EXPECT_TRUE(property(instance, "Unset").getValue().isNull());
}

TEST(ResponseDecoder, MethodResponseWithReferenceOutputAndNoParamType)
{
    std::string body = envelope(
        "<METHODRESPONSE NAME=\"RunDiagnostic\">\n<RETURNVALUE PARAMTYPE=\"uint32\">\n<VALUE>0</VALUE>\n"
        "</RETURNVALUE>\n<PARAMVALUE NAME=\"Job\" PARAMTYPE=\"reference\">\n<VALUE.REFERENCE>\n"
        "<INSTANCENAME CLASSNAME=\"MLNX_Job\">\n<KEYBINDING NAME=\"InstanceID\">\n"
        "<KEYVALUE VALUETYPE=\"string\">J1</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n"
        "</VALUE.REFERENCE>\n</PARAMVALUE>\n<PARAMVALUE NAME=\"Note\">\n<VALUE>n</VALUE>\n</PARAMVALUE>\n"
        "</METHODRESPONSE>\n");
    MethodResult result = decodeInvokeMethodResponse(body, context("RunDiagnostic"));
    EXPECT_EQ(result.returnValue.getType(), CIMTYPE_UINT32);
    ASSERT_EQ(result.outParameters.size(), 2u);
    EXPECT_EQ(result.outParameters[0].getValue().getType(), CIMTYPE_REFERENCE);
    EXPECT_EQ(result.outParameters[0].getValue().toString(), String("MLNX_Job.InstanceID=\"J1\""));
    EXPECT_FALSE(result.outParameters[1].isTyped());
    EXPECT_EQ(result.outParameters[1].getValue().getType(), CIMTYPE_STRING);
}

TEST(ResponseDecoder, ErrorElementRaisesItsCode)
{
    std::string body = envelope(
        "<IMETHODRESPONSE NAME=\"EnumerateInstances\">\n"
        "<ERROR CODE=\"1\" DESCRIPTION=\"CIM_ERR_FAILED: provider module is stopped\"/>"
        "</IMETHODRESPONSE>\n");
    try
    {
        decodeEnumerateInstancesResponse(body, context("EnumerateInstances"));
        FAIL() << "no exception";
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(e.getCode(), CIM_ERR_FAILED);
        EXPECT_EQ(e.getMessage(), String("CIM_ERR_FAILED: provider module is stopped"));
    }
}

TEST(ResponseDecoder, MalformedDocumentsNameTheServerAndPlace)
{
    struct Case
    {
        const char* what;
        std::string body;
        const char* mentions;
    };
    const Case cases[] = {
        {"not XML", "HTTP/1.1 200 OK", "byte"},
        {"unclosed", envelope("<IMETHODRESPONSE NAME=\"EnumerateInstances\">\n<IRETURNVALUE>\n"), "byte"},
        {"bad number", getInstanceBody("<PROPERTY NAME=\"N\" TYPE=\"uint8\"><VALUE>300</VALUE></PROPERTY>"),
         "\"300\" is not a valid uint8 value"},
        {"unknown type", getInstanceBody("<PROPERTY NAME=\"N\" TYPE=\"int\"><VALUE>3</VALUE></PROPERTY>"),
         "unknown CIM type \"int\""},
        {"bad name", getInstanceBody("<PROPERTY NAME=\"1st\" TYPE=\"uint8\"></PROPERTY>"),
         "not a valid CIM name"},
        {"missing attribute", getInstanceBody("<PROPERTY TYPE=\"uint8\"></PROPERTY>"), "no NAME attribute"},
        {"wrong element", envelope("<IMETHODRESPONSE NAME=\"GetInstance\">\n<IRETURNVALUE>\n<CLASS NAME=\"X\"/>"
                                   "</IRETURNVALUE>\n</IMETHODRESPONSE>\n"), "expected one <INSTANCE>"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string body = c.body;
        try
        {
            decodeGetInstanceResponse(body, context("GetInstance"));
            ADD_FAILURE() << "no exception";
        }
        catch (const CIMClientXmlException& e)
        {
            std::string message(e.getMessage().getCString());
            EXPECT_NE(message.find("cimserver:5988"), std::string::npos) << message;
            EXPECT_NE(message.find(c.mentions), std::string::npos) << message;
        }
    }
}

TEST(ResponseDecoder, ResponseToAnotherMessageIsRejected)
{
    std::string body = envelope("<IMETHODRESPONSE NAME=\"EnumerateInstances\">\n</IMETHODRESPONSE>\n", 999);
    EXPECT_THROW(decodeEnumerateInstancesResponse(body, context("EnumerateInstances")),
                 CIMClientResponseException);
}

TEST(ResponseDecoder, AssociatorsAndReferencesCarryFullInstancePaths)
{
    if (!vectorsAvailable())
        GTEST_SKIP() << "captured exchanges not found";
    for (const char* exchange : {"56-cimcli-a-MLNX_PCIDevice", "57-cimcli-r-MLNX_PCIDevice"})
    {
        SCOPED_TRACE(exchange);
        std::string response = readVectorFile(exchange, "response.http");
        std::string body = dechunked(httpBody(response));
        const bool associators = std::string(exchange).find("-a-") != std::string::npos;
        Array<CIMObject> objects = decodeObjectsWithPathResponse(
            body, context(associators ? "Associators" : "References"));
        ASSERT_GT(objects.size(), 0u);
        EXPECT_EQ(objects[0].getPath().getHost(), String("vm"));
        EXPECT_EQ(objects[0].getPath().getNameSpace(), CIMNamespaceName("root/cimv2"));
        EXPECT_GT(objects[0].getPropertyCount(), 0u);
    }
}
