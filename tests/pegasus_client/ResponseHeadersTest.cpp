// The header fields of a 200 response are checked before its body is read,
// as OpenPegasus's client checks them, with its exception class.

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientFailureExceptions.h>

#include "HandWritten.h"
#include "ReplayServer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Pegasus;

namespace {

const CIMNamespaceName kNamespace("root/cimv2");

std::string emptyEnumeration(unsigned messageId)
{
    return cimEnvelope("<IMETHODRESPONSE NAME=\"EnumerateInstances\">\n<IRETURNVALUE>\n</IRETURNVALUE>\n"
                       "</IMETHODRESPONSE>\n",
                       messageId);
}

struct HeaderCase
{
    std::string contentType;
    std::string cimOperation;
    std::string refusal;  // in the message; empty: the response is decoded
};

void expectOutcomes(const std::vector<HeaderCase>& cases)
{
    std::vector<ReplayServer::Reply> replies;
    for (std::size_t i = 0; i < cases.size(); ++i)
    {
        replies.push_back(ReplayServer::send(okResponse(emptyEnumeration(1000 + static_cast<unsigned>(i)),
                                                        cases[i].contentType, cases[i].cimOperation)));
    }
    ReplayServer server(replies);
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    for (const HeaderCase& c : cases)
    {
        SCOPED_TRACE("Content-Type \"" + c.contentType + "\", CIMOperation \"" + c.cimOperation + "\"");
        try
        {
            EXPECT_EQ(client.enumerateInstances(kNamespace, "QMT_Holder").size(), 0u);
            EXPECT_TRUE(c.refusal.empty()) << "accepted";
        }
        catch (const CIMClientMalformedHTTPException& e)
        {
            const std::string message(e.getMessage().getCString());
            EXPECT_FALSE(c.refusal.empty()) << message;
            EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
        }
    }
}

}  // namespace

TEST(ResponseHeaders, ContentTypeMustBeXmlInUtf8WhenPresent)
{
    const std::string bad = "Bad Content-Type HTTP header";
    expectOutcomes({
        {"invalid", "MethodResponse", bad + "; invalid"},
        {"text/html; charset=utf-8", "MethodResponse", bad},
        {"application/xml; charset=iso-8859-1", "MethodResponse", bad},
        {"application/xml; boundary=x", "MethodResponse", bad},
        // OpenPegasus's binary encoding, which this client never asks for.
        {"application/x-openpegasus", "MethodResponse", bad},
        {"application/xml; charset=\"utf-8\"", "MethodResponse", ""},
        {"Text/XML;Charset=UTF-8", "MethodResponse", ""},
        {"application/xml", "MethodResponse", ""},  // UTF-8 is the default
        {"", "MethodResponse", ""},                 // no field at all
    });
}

TEST(ResponseHeaders, CimOperationMustSayMethodResponse)
{
    expectOutcomes({
        {"application/xml; charset=utf-8", "", "Missing CIMOperation HTTP header"},
        {"application/xml; charset=utf-8", "MethodCall",
         "Received CIMOperation HTTP header value \"MethodCall\", expected \"MethodResponse\""},
        {"application/xml; charset=utf-8", "methodresponse", ""},
        // The missing field is reported before a bad Content-Type, as in OpenPegasus.
        {"invalid", "", "Missing CIMOperation HTTP header"},
    });
}
