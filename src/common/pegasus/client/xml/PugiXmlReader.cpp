// XmlReader over a pugixml DOM parsed in place. The DOM costs one pass and
// little memory beyond the response itself; walking it as tokens keeps the
// decoder independent of pugixml.

#include "XmlReader.h"

#include <pugixml.hpp>

namespace Pegasus {
namespace ClientDetail {

namespace {

// Predefined entities and character references only: no DTD, so nothing
// the server sends can expand into more text than it wrote. Character
// references that XML 1.0 forbids (&#11;, &#12;) are decoded all the same,
// as servers send them in string values.
// Text that is an element's first child is kept in the element itself
// (parse_embed_pcdata): CIM-XML is mostly <VALUE>text</VALUE>, and a node
// less per value nearly halves the DOM.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes |
                                   pugi::parse_wconv_attribute | pugi::parse_eol |
                                   pugi::parse_embed_pcdata;

class PugiXmlReader final : public XmlReader
{
public:
    PugiXmlReader(char* data, std::size_t size, unsigned options)
    {
        pugi::xml_parse_result result =
            _document.load_buffer_inplace(data, size, options, pugi::encoding_utf8);
        if (!result)
        {
            throw XmlSyntaxError{result.description(),
                                 static_cast<std::size_t>(result.offset)};
        }
        _node = _document;
        _leaving = false;
        _started = false;
    }

    Token next() override
    {
        if (_embeddedText)
        {
            // The element's own text, between its start and its children.
            _embeddedText = false;
            return Token::Text;
        }
        for (;;)
        {
            if (!advance())
                return Token::EndOfDocument;
            switch (_node.type())
            {
                case pugi::node_element:
                    _name = _node.name();
                    if (_leaving)
                        return Token::EndElement;
                    _embeddedText = *_node.value() != '\0';
                    return Token::StartElement;
                case pugi::node_pcdata:
                case pugi::node_cdata:
                    return Token::Text;
                default:
                    break;  // declaration, comment, PI: not part of the data
            }
        }
    }

    std::string_view name() const override { return _name; }

    std::string_view text() const override { return _node.value(); }

    bool attribute(std::string_view attributeName,
                   std::string_view& value) const override
    {
        for (pugi::xml_attribute a = _node.first_attribute(); a; a = a.next_attribute())
        {
            if (sameName(a.name(), attributeName))
            {
                value = a.value();
                return true;
            }
        }
        return false;
    }

    std::size_t offset() const override
    {
        // offset_debug() only reports offsets for names kept in the buffer,
        // which is the case for in-place parsing.
        std::ptrdiff_t at = _node.offset_debug();
        return at < 0 ? 0 : static_cast<std::size_t>(at);
    }

private:
    // Depth-first walk: enter a node, descend into its children, leave it,
    // then go on with its next sibling.
    bool advance()
    {
        if (!_started)
        {
            _started = true;
            return step(_document.first_child());
        }
        if (!_leaving && _node.type() == pugi::node_element)
        {
            pugi::xml_node child = _node.first_child();
            if (child)
                return step(child);
            _leaving = true;  // empty element: its end follows at once
            return true;
        }
        pugi::xml_node sibling = _node.next_sibling();
        if (sibling)
            return step(sibling);
        pugi::xml_node parent = _node.parent();
        if (!parent || parent.type() == pugi::node_document)
            return false;
        _node = parent;
        _leaving = true;
        return true;
    }

    bool step(pugi::xml_node node)
    {
        if (!node)
            return false;
        _node = node;
        _leaving = false;
        return true;
    }

    // Compares without measuring the stored name first.
    static bool sameName(const char* stored, std::string_view wanted)
    {
        for (char c : wanted)
        {
            if (*stored++ != c)
                return false;
        }
        return *stored == '\0';
    }

    pugi::xml_document _document;
    pugi::xml_node _node;
    std::string_view _name;
    bool _leaving = false;
    bool _started = false;
    bool _embeddedText = false;  // the Text token of the element's value is due
};

}  // namespace

std::unique_ptr<XmlReader> openXmlReader(std::string& document)
{
    return std::make_unique<PugiXmlReader>(document.data(), document.size(), kParseOptions);
}

std::unique_ptr<XmlReader> openXmlFragment(char* data, std::size_t size)
{
    return std::make_unique<PugiXmlReader>(data, size, kParseOptions | pugi::parse_fragment);
}

}  // namespace ClientDetail
}  // namespace Pegasus
