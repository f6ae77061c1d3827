#include "codec/TextEncoding.h"

#include <gtest/gtest.h>

using namespace Pegasus::ClientDetail;

TEST(TextEncoding, XmlEscapingKeepsBlanksTheParserWouldDrop)
{
    std::string out;
    appendXmlEscaped(out, " a  b\n<&>\"' ");
    EXPECT_EQ(out, "&#32;a &#32;b&#10;&lt;&amp;&gt;&quot;&apos;&#32;");
    out.clear();
    appendXmlEscaped(out, "r\xC3\xA9seau\x0B");
    EXPECT_EQ(out, "r\xC3\xA9seau&#11;");
}

TEST(TextEncoding, UriEncodingUsesOpenPegasusCharacterSet)
{
    EXPECT_EQ(encodeUriCharacters("root/cimv2:Sample_MethodProviderClass.Identifier=\"1\""),
              "root%2Fcimv2%3ASample_MethodProviderClass.Identifier%3D%221%22");
    EXPECT_EQ(encodeUriCharacters("a b,c-d_e.f~g*h!i'(j)"), "a%20b%2Cc-d_e.f~g*h!i'(j)");
    EXPECT_EQ(encodeUriCharacters("\xC3\xA9"), "%C3%A9");
}

TEST(TextEncoding, UriDecodingKeepsBrokenEscapes)
{
    EXPECT_EQ(decodeUriCharacters("CIM_ERR_INVALID_CLASS%3A%20MLNX_NoSuchClass"),
              "CIM_ERR_INVALID_CLASS: MLNX_NoSuchClass");
    EXPECT_EQ(decodeUriCharacters("100%"), "100%");
    EXPECT_EQ(decodeUriCharacters("%zz%4"), "%zz%4");
}

TEST(TextEncoding, Base64MatchesCapturedAuthorization)
{
    EXPECT_EQ(encodeBase64("root:Test-Pass-1"), "cm9vdDpUZXN0LVBhc3MtMQ==");
    EXPECT_EQ(encodeBase64("root:wrong"), "cm9vdDp3cm9uZw==");
    EXPECT_EQ(encodeBase64(":"), "Og==");
    EXPECT_EQ(encodeBase64(""), "");
}
