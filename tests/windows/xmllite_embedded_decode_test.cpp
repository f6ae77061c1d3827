// The CIM-XML decoder on XmlLite with what the simulator does not send:
// embedded instances as CDATA and as escaped text and CDATA in pieces, and
// line ends in values.
#include <gtest/gtest.h>

#include "codec/ResponseDecoder.h"

#include <Pegasus/Common/CIMInstance.h>

#include <string>

namespace {

using namespace Pegasus;
using namespace Pegasus::ClientDetail;

const std::string kSettings =
    "<INSTANCE CLASSNAME=\"QMT_PortSettings\"><PROPERTY NAME=\"Mtu\" TYPE=\"uint32\"><VALUE>4096</VALUE>"
    "</PROPERTY></INSTANCE>";

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '"') {
            out += "&quot;";
        } else {
            out += c;
        }
    }
    return out;
}

std::string GetInstanceBody(const std::string& content)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"1000\" PROTOCOLVERSION=\"1.0\">\n<SIMPLERSP>\n<IMETHODRESPONSE NAME=\"GetInstance\">\n"
           "<IRETURNVALUE>\n<INSTANCE CLASSNAME=\"QMT_Holder\" >\n" + content +
           "</INSTANCE>\n</IRETURNVALUE>\n</IMETHODRESPONSE>\n</SIMPLERSP>\n</MESSAGE>\n</CIM>\n";
}

std::string Text(const CIMValue& value)
{
    return static_cast<const char*>(value.toString().getCString());
}

TEST(XmlLiteEmbeddedDecodeTest, CdataAndMixedTextGiveTheInstance)
{
    const std::string mixed = Escaped(kSettings.substr(0, 30)) + "<![CDATA[" + kSettings.substr(30) + "]]>";
    for (const std::string& written : {"<![CDATA[" + kSettings + "]]>", mixed}) {
        std::string body = GetInstanceBody("<PROPERTY NAME=\"Settings\" TYPE=\"string\" EmbeddedObject=\"instance\">"
                                           "<VALUE>" + written + "</VALUE></PROPERTY>\n");
        const CIMInstance holder = decodeGetInstanceResponse(body, {"cimserver:5988", 1000, "GetInstance"});
        const CIMValue value = holder.getProperty(0).getValue();
        ASSERT_EQ(CIMTYPE_INSTANCE, value.getType()) << written;
        CIMInstance settings;
        value.get(settings);
        EXPECT_EQ("4096", Text(settings.getProperty(0).getValue())) << written;
    }
}

TEST(XmlLiteEmbeddedDecodeTest, LineEndsInValuesAreNormalised)
{
    std::string body = GetInstanceBody("<PROPERTY NAME=\"Text\" TYPE=\"string\"><VALUE>a\r\nb\rc&#13;d</VALUE>"
                                       "</PROPERTY>\n");
    const CIMInstance instance = decodeGetInstanceResponse(body, {"cimserver:5988", 1000, "GetInstance"});
    EXPECT_EQ("a\nb\nc\rd", Text(instance.getProperty(0).getValue()));
}

}  // namespace
