// Where OpenPegasus's client refuses a response, ours refuses it with the
// same exception class, so that a program that catches by class behaves
// alike; and where ours does better, the tests say so.

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientException.h>

#include "HandWritten.h"
#include "ReplayServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace Pegasus;

namespace {

const CIMNamespaceName kNamespace("root/cimv2");
const CIMObjectPath kHolder("QMT_Holder.InstanceID=\"h1\"");

enum class Refusal
{
    Xml,       // CIMClientXmlException
    Response,  // CIMClientResponseException
};

enum class Request
{
    GetInstance,
    Method,
};

struct RefusalCase
{
    const char* what;
    Request request;
    std::function<std::string(unsigned messageId)> body;
    Refusal refusal;
};

std::string property(const std::string& type, const std::string& value)
{
    return "<PROPERTY NAME=\"P\"  TYPE=\"" + type + "\">\n<VALUE>" + value + "</VALUE>\n</PROPERTY>\n";
}

void expectRefusals(const std::vector<RefusalCase>& cases)
{
    std::vector<ReplayServer::Reply> replies;
    for (std::size_t i = 0; i < cases.size(); ++i)
        replies.push_back(ReplayServer::send(okResponse(cases[i].body(1000 + static_cast<unsigned>(i)))));
    ReplayServer server(replies);
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    for (const RefusalCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        try
        {
            if (c.request == Request::GetInstance)
            {
                client.getInstance(kNamespace, kHolder);
            }
            else
            {
                Array<CIMParamValue> out;
                client.invokeMethod(kNamespace, kHolder, "Configure", Array<CIMParamValue>(), out);
            }
            ADD_FAILURE() << "accepted";
        }
        catch (const CIMClientXmlException& e)
        {
            EXPECT_EQ(c.refusal, Refusal::Xml) << e.getMessage().getCString();
        }
        catch (const CIMClientResponseException& e)
        {
            EXPECT_EQ(c.refusal, Refusal::Response) << e.getMessage().getCString();
        }
    }
}

std::string intrinsic(const std::string& name, const std::string& content, unsigned id)
{
    return cimEnvelope("<IMETHODRESPONSE NAME=\"" + name + "\">\n" + content + "</IMETHODRESPONSE>\n", id);
}

}  // namespace

TEST(RefusalClasses, AsOpenPegasusRefusesThem)
{
    const std::string returnValue = "<RETURNVALUE PARAMTYPE=\"uint32\">\n<VALUE>0</VALUE>\n</RETURNVALUE>\n";
    expectRefusals({
        {"GetInstance without IRETURNVALUE", Request::GetInstance,
         [](unsigned id) { return intrinsic("GetInstance", "", id); }, Refusal::Xml},
        {"GetInstance with an empty IRETURNVALUE", Request::GetInstance,
         [](unsigned id) { return intrinsic("GetInstance", "<IRETURNVALUE>\n</IRETURNVALUE>\n", id); }, Refusal::Xml},
        {"IMETHODRESPONSE for another operation", Request::GetInstance,
         [](unsigned id) { return intrinsic("EnumerateInstances", "<IRETURNVALUE>\n</IRETURNVALUE>\n", id); },
         Refusal::Xml},
        {"METHODRESPONSE to an intrinsic request", Request::GetInstance,
         [&](unsigned id) { return methodBody("GetInstance", returnValue, id); }, Refusal::Xml},
        {"IMETHODRESPONSE to a method call", Request::Method,
         [](unsigned id) { return intrinsic("Configure", "", id); }, Refusal::Xml},
        {"two RETURNVALUEs", Request::Method,
         [&](unsigned id) { return methodBody("Configure", returnValue + returnValue, id); }, Refusal::Xml},
        {"datetime that is no datetime", Request::GetInstance,
         [](unsigned id) { return getInstanceBody(property("datetime", "2024-01-15"), "QMT_Holder", id); },
         Refusal::Xml},
        {"datetime with month 13", Request::GetInstance,
         [](unsigned id) {
             return getInstanceBody(property("datetime", "20241315103000.123456+060"), "QMT_Holder", id);
         },
         Refusal::Response},
        {"datetime of 30 February", Request::GetInstance,
         [](unsigned id) {
             return getInstanceBody(property("datetime", "20240230103000.123456+060"), "QMT_Holder", id);
         },
         Refusal::Response},
        {"number out of range", Request::GetInstance,
         [](unsigned id) { return getInstanceBody(property("uint8", "256"), "QMT_Holder", id); }, Refusal::Xml},
        {"property twice", Request::GetInstance,
         [](unsigned id) {
             return getInstanceBody(property("uint8", "1") + property("uint8", "2"), "QMT_Holder", id);
         },
         Refusal::Xml},
        {"qualifier twice", Request::GetInstance,
         [](unsigned id) {
             const std::string q = "<QUALIFIER NAME=\"Key\" TYPE=\"boolean\">\n<VALUE>TRUE</VALUE>\n</QUALIFIER>\n";
             return getInstanceBody(q + q, "QMT_Holder", id);
         },
         Refusal::Xml},
        {"reference whose host is no host name", Request::GetInstance,
         [](unsigned id) {
             return getInstanceBody(
                 "<PROPERTY.REFERENCE NAME=\"R\"  REFERENCECLASS=\"X\">\n<VALUE.REFERENCE>\n<INSTANCEPATH>\n"
                 "<NAMESPACEPATH>\n<HOST>no host!</HOST>\n<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n"
                 "</LOCALNAMESPACEPATH>\n</NAMESPACEPATH>\n<INSTANCENAME CLASSNAME=\"X\">\n</INSTANCENAME>\n"
                 "</INSTANCEPATH>\n</VALUE.REFERENCE>\n</PROPERTY.REFERENCE>\n",
                 "QMT_Holder", id);
         },
         Refusal::Response},
        {"CIM without CIMVERSION", Request::GetInstance,
         [](unsigned id) {
             std::string body = getInstanceBody("", "QMT_Holder", id);
             return body.replace(body.find(" CIMVERSION=\"2.0\""), 17, "");
         },
         Refusal::Xml},
        {"protocol version 2.0", Request::GetInstance,
         [](unsigned id) {
             std::string body = getInstanceBody("", "QMT_Holder", id);
             return body.replace(body.find("PROTOCOLVERSION=\"1.0\""), 21, "PROTOCOLVERSION=\"2.0\"");
         },
         Refusal::Response},
        // Another length: the replay server gives IDs of the same length the request's.
        {"answer to another MESSAGE ID", Request::GetInstance,
         [](unsigned id) { return getInstanceBody("", "QMT_Holder", id + 100000); }, Refusal::Response},
        // OpenPegasus takes a METHODRESPONSE for any method as the answer;
        // ours refuses an answer to a call that was not made.
        {"METHODRESPONSE for another method", Request::Method,
         [&](unsigned id) { return methodBody("Reset", returnValue, id); }, Refusal::Xml},
    });
}

// Where we read what OpenPegasus reads otherwise.
TEST(RefusalClasses, WhereThisClientDoesBetter)
{
    std::vector<ReplayServer::Reply> replies{
        // Line ends in values are normalised as XML 1.0 requires (a CR
        // written as a reference is kept); OpenPegasus keeps a raw CR.
        ReplayServer::send(okResponse(getInstanceBody(property("string", "a\r\nb\rc&#13;d"), "QMT_Holder", 1000))),
        // An empty RETURNVALUE is a null return value, as DSP0201 allows.
        ReplayServer::send(okResponse(methodBody("Configure", "<RETURNVALUE PARAMTYPE=\"uint32\">\n</RETURNVALUE>\n",
                                                 1001))),
    };
    ReplayServer server(replies);
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");

    const CIMInstance instance = client.getInstance(kNamespace, kHolder);
    EXPECT_EQ(std::string(instance.getProperty(0).getValue().toString().getCString()), "a\nb\nc\rd");

    Array<CIMParamValue> out;
    const CIMValue returned = client.invokeMethod(kNamespace, kHolder, "Configure", Array<CIMParamValue>(), out);
    EXPECT_TRUE(returned.isNull());
    EXPECT_EQ(returned.getType(), CIMTYPE_UINT32);
}
