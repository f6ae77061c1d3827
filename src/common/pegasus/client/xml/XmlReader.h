#ifndef Pegasus_Client_Xml_XmlReader_h
#define Pegasus_Client_Xml_XmlReader_h

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

// Forward-only view of an XML document, one token at a time. The CIM-XML
// decoder sees nothing but this interface, so each platform can supply its
// own parser (pugixml here, XmlLite on Windows).
class XmlReader
{
public:
    enum class Token { StartElement, EndElement, Text, EndOfDocument };

    virtual ~XmlReader() = default;

    // Advances to the next token. Comments, processing instructions and the
    // declaration are skipped. An empty element yields StartElement followed
    // by EndElement.
    virtual Token next() = 0;

    // Name of the element of the current StartElement or EndElement token.
    virtual std::string_view name() const = 0;

    // Character data of the current Text token, entities already decoded.
    virtual std::string_view text() const = 0;

    // Attribute of the element of the current StartElement token.
    virtual bool attribute(std::string_view attributeName,
                           std::string_view& value) const = 0;

    // Byte offset of the current token in the document, for messages.
    virtual std::size_t offset() const = 0;

    // Shortcuts a reader may offer; each returns false without moving when
    // it does not apply, and the caller then walks the tokens.

    // At a StartElement that holds text only: sets `text` and moves to the
    // element's EndElement.
    virtual bool elementText(std::string_view& /*text*/) { return false; }

    // At a StartElement whose children are all `childName` elements holding
    // text only: appends their texts and moves to the element's EndElement.
    virtual bool childTexts(std::string_view /*childName*/,
                            std::vector<std::string_view>& /*texts*/)
    {
        return false;
    }

    // At a StartElement of an element that never holds an element of its
    // own name: the bytes the document wrote for it, start tag to end tag.
    // Valid as long as the reader. Only for a fragment opened with its
    // text kept.
    virtual bool rawElement(std::string_view& /*raw*/) const { return false; }

    // At a StartElement: moves to its EndElement without reading inside.
    virtual bool skipCurrentElement() { return false; }
};

// Thrown by readers when the document is not well-formed XML.
struct XmlSyntaxError
{
    std::string description;
    std::size_t offset;
};

// Thrown by readers that would need far more memory than the document's
// size to read it (a parser's tree of many tiny elements, say): the
// document is refused before that memory is taken.
struct XmlTooCostly
{
    std::string description;
};

// Parses the document held in `document` (which is modified in place and
// must outlive the reader). Throws XmlSyntaxError or XmlTooCostly.
std::unique_ptr<XmlReader> openXmlReader(std::string& document);

// The content of an element, held in the `size` bytes at `data` inside a
// larger document: elements and text, with no declaration; it may hold
// several elements side by side. With `keepText`, a copy of the bytes as
// written is kept for rawElement(); the caller vouches that the fragment
// holds no comment, CDATA section or processing instruction.
std::unique_ptr<XmlReader> openXmlFragment(char* data, std::size_t size, bool keepText = false);

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
