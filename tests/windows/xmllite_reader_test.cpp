// The XmlLite reader behind the CIM-XML decoder: tokens, decoding, the
// control-character references real CIM servers send, and syntax errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "XmlReader.h"

namespace {

using Pegasus::ClientDetail::XmlReader;
using Pegasus::ClientDetail::XmlSyntaxError;
using Pegasus::ClientDetail::openXmlFragment;
using Pegasus::ClientDetail::openXmlReader;
using Token = XmlReader::Token;

// Each token as one line: "<NAME", "</NAME", "text:..." or "end".
std::vector<std::string> TokensOf(XmlReader& reader)
{
    std::vector<std::string> tokens;
    for (;;) {
        switch (reader.next()) {
            case Token::StartElement:
                tokens.push_back("<" + std::string(reader.name()));
                break;
            case Token::EndElement:
                tokens.push_back("</" + std::string(reader.name()));
                break;
            case Token::Text:
                tokens.push_back("text:" + std::string(reader.text()));
                break;
            case Token::EndOfDocument:
                tokens.push_back("end");
                return tokens;
        }
    }
}

std::vector<std::string> Tokens(std::string document)
{
    return TokensOf(*openXmlReader(document));
}

// Text of the first VALUE element of the document.
std::string FirstValue(std::string document)
{
    std::unique_ptr<XmlReader> reader = openXmlReader(document);
    while (reader->next() != Token::EndOfDocument) {
        if (reader->name() == "VALUE" && reader->next() == Token::Text) {
            return std::string(reader->text());
        }
    }
    return "<no value>";
}

TEST(XmlLiteReaderTest, WalksElementsAndTextSkippingDeclarationCommentsAndLayout)
{
    const std::vector<std::string> expected = {"<CIM",   "<MESSAGE", "<VALUE",  "text:mt4103",
                                               "</VALUE", "<VALUE",  "</VALUE", "</MESSAGE",
                                               "</CIM",  "end"};
    EXPECT_EQ(expected, Tokens("<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
                               "<CIM CIMVERSION=\"2.0\">\n  <!-- note -->\n  <MESSAGE ID=\"1000\">\n"
                               "    <VALUE>mt4103</VALUE>\n    <VALUE/>\n  </MESSAGE>\n</CIM>\n"));
}

TEST(XmlLiteReaderTest, FragmentsHoldElementsSideBySide)
{
    // Part of a larger document: the instances inside IRETURNVALUE.
    std::string document = "<R>\n<VALUE>a</VALUE>\n<VALUE>b</VALUE>\n</R>";
    const std::vector<std::string> expected = {"<VALUE", "text:a", "</VALUE", "<VALUE",
                                               "text:b", "</VALUE", "end"};
    EXPECT_EQ(expected, TokensOf(*openXmlFragment(document.data() + 4, document.size() - 9)));
    std::string unclosed = "<VALUE>a</VALUE><VALUE>";
    EXPECT_THROW(openXmlFragment(unclosed.data(), unclosed.size()), XmlSyntaxError);
}

TEST(XmlLiteReaderTest, GivesAttributesOfTheCurrentElement)
{
    std::string document = "<PROPERTY NAME=\"DeviceID\" TYPE=\"string\" CLASSORIGIN=\"CIM_LogicalDevice\"/>";
    std::unique_ptr<XmlReader> reader = openXmlReader(document);
    ASSERT_EQ(Token::StartElement, reader->next());
    std::string_view value;
    ASSERT_TRUE(reader->attribute("TYPE", value));
    EXPECT_EQ("string", value);
    ASSERT_TRUE(reader->attribute("NAME", value));
    EXPECT_EQ("DeviceID", value);
    EXPECT_FALSE(reader->attribute("PROPAGATED", value));
    EXPECT_EQ(Token::EndElement, reader->next());
    EXPECT_EQ("PROPERTY", reader->name());
}

TEST(XmlLiteReaderTest, DecodesEntitiesAndCharacterReferences)
{
    EXPECT_EQ("a & b < c > d \" e ' f", FirstValue("<VALUE>a &amp; b &lt; c &gt; d &quot; e &apos; f</VALUE>"));
    EXPECT_EQ(" lead,  two,\nline,\ttab ", FirstValue("<VALUE>&#32;lead, &#32;two,&#10;line,&#9;tab&#32;</VALUE>"));
    EXPECT_EQ("Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5 \xF0\x9F\x98\x80", FirstValue("<VALUE>Gr\xC3\xBC\xC3\x9F" "e &#x65E5; &#128512;</VALUE>"));
}

TEST(XmlLiteReaderTest, AcceptsControlCharacterReferencesThatXml10Forbids)
{
    EXPECT_EQ("v\x0B" "t\x0C" "f\x01", FirstValue("<VALUE>v&#11;t&#x0C;f&#1;</VALUE>"));
    std::string document = "<KEYVALUE NAME=\"a&#11;b\">x</KEYVALUE>";
    std::unique_ptr<XmlReader> reader = openXmlReader(document);
    ASSERT_EQ(Token::StartElement, reader->next());
    std::string_view value;
    ASSERT_TRUE(reader->attribute("NAME", value));
    EXPECT_EQ("a\x0B" "b", value);
    // References to layout characters survive attribute normalization.
    std::string layout = "<KEYVALUE NAME=\"a&#10;b&#9;c&#13;\"/>";
    reader = openXmlReader(layout);
    ASSERT_EQ(Token::StartElement, reader->next());
    ASSERT_TRUE(reader->attribute("NAME", value));
    EXPECT_EQ("a\nb\tc\r", value);
    // In a CDATA section a reference is plain text.
    EXPECT_EQ("&#11;", FirstValue("<VALUE><![CDATA[&#11;]]></VALUE>"));
}

TEST(XmlLiteReaderTest, TextStaysValidAfterTheReaderMovesOn)
{
    std::string document = "<VALUE>first<![CDATA[second]]></VALUE>";
    std::unique_ptr<XmlReader> reader = openXmlReader(document);
    ASSERT_EQ(Token::StartElement, reader->next());
    ASSERT_EQ(Token::Text, reader->next());
    const std::string_view first = reader->text();
    ASSERT_EQ(Token::Text, reader->next());
    EXPECT_EQ("second", reader->text());
    EXPECT_EQ("first", first);
}

TEST(XmlLiteReaderTest, MalformedDocumentsFailWhenOpenedWithPlace)
{
    std::string mismatched = "<CIM>\n<MESSAGE>\n</CIM>";
    try {
        openXmlReader(mismatched);
        FAIL() << "mismatched tags were accepted";
    } catch (const XmlSyntaxError& error) {
        EXPECT_NE(std::string::npos, error.description.find("line 3")) << error.description;
        EXPECT_GT(error.offset, 0u);
    }
    std::string empty;
    EXPECT_THROW(openXmlReader(empty), XmlSyntaxError);
    std::string truncated = "<CIM><MESSAGE ID=\"10";
    EXPECT_THROW(openXmlReader(truncated), XmlSyntaxError);
    std::string withDtd = "<!DOCTYPE CIM [<!ENTITY big \"xxxxxxxx\">]><CIM>&big;</CIM>";
    EXPECT_THROW(openXmlReader(withDtd), XmlSyntaxError);
}

}  // namespace
