// XmlReader over a pugixml DOM parsed in place; walking it as tokens keeps
// the decoder independent of pugixml. The tree takes two to three times the
// text it holds, which is why the decoder hands large responses over a run
// of instances at a time.

#include "XmlReader.h"

#include "PugiTreeBound.h"

#include <pugixml.hpp>

#include <string>
#include <string_view>

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
    PugiXmlReader(char* data, std::size_t size, unsigned options, bool keepText)
    {
        refuseCostlyTree(std::string_view(data, size));
        if (keepText)
            _written.assign(data, size);
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
                    _attributesRead = false;
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
        if (!_attributesRead)
            collectAttributes();
        if (_attributeCount <= kKeptAttributes)
        {
            // Most asks are for attributes the element lacks: the first
            // letter turns nearly every mismatch away.
            const char first = attributeName.empty() ? '\0' : attributeName.front();
            for (std::size_t i = 0; i < _attributeCount; ++i)
            {
                if (*_attributes[i].name == first &&
                    sameName(_attributes[i].name, attributeName))
                {
                    value = _attributes[i].value;
                    return true;
                }
            }
            return false;
        }
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

    bool elementText(std::string_view& text) override
    {
        if (_leaving || _node.type() != pugi::node_element || _node.first_child())
            return false;
        text = _node.value();
        _embeddedText = false;
        _leaving = true;
        return true;
    }

    bool childTexts(std::string_view childName, std::vector<std::string_view>& texts) override
    {
        if (_leaving || _node.type() != pugi::node_element || *_node.value() != '\0')
            return false;
        const std::size_t before = texts.size();
        for (pugi::xml_node child = _node.first_child(); child; child = child.next_sibling())
        {
            if (child.type() != pugi::node_element || !sameName(child.name(), childName) ||
                child.first_child())
            {
                texts.resize(before);
                return false;
            }
            texts.emplace_back(child.value());
        }
        _leaving = true;
        return true;
    }

    bool rawElement(std::string_view& raw) const override
    {
        if (_written.empty() || _leaving || _node.type() != pugi::node_element)
            return false;
        // Parsing in place leaves names where they were written, so the
        // tree gives where the start tag begins in the kept copy.
        const std::ptrdiff_t nameAt = _node.offset_debug();
        if (nameAt < 1 || static_cast<std::size_t>(nameAt) >= _written.size())
            return false;
        const std::string_view text(_written);
        const std::size_t begin = static_cast<std::size_t>(nameAt) - 1;
        const std::size_t tagEnd = endOfStartTag(text, begin);
        if (tagEnd == std::string_view::npos)
            return false;
        if (text[tagEnd - 1] == '/')
        {
            raw = text.substr(begin, tagEnd + 1 - begin);
            return true;
        }
        // The end tag is what precedes the next sibling element, white
        // space aside; the last child's end tag is looked for.
        std::size_t end = std::string_view::npos;
        for (pugi::xml_node next = _node.next_sibling(); next; next = next.next_sibling())
        {
            if (next.type() != pugi::node_element)
                continue;
            const std::ptrdiff_t nextAt = next.offset_debug();
            if (nextAt < 1 || static_cast<std::size_t>(nextAt) - 1 <= tagEnd)
                return false;
            end = static_cast<std::size_t>(nextAt) - 1;
            while (end > tagEnd && isSpace(text[end - 1]))
                --end;
            break;
        }
        if (end == std::string_view::npos)
        {
            _endTag.assign("</").append(_name).append(">");
            const std::size_t close = text.find(_endTag, tagEnd);
            if (close == std::string_view::npos)
                return false;
            end = close + _endTag.size();
        }
        raw = text.substr(begin, end - begin);
        return true;
    }

    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    bool skipCurrentElement() override
    {
        if (_leaving || _node.type() != pugi::node_element)
            return false;
        _embeddedText = false;
        _leaving = true;
        return true;
    }

    std::size_t offset() const override
    {
        // offset_debug() only reports offsets for names kept in the buffer,
        // which is the case for in-place parsing.
        std::ptrdiff_t at = _node.offset_debug();
        return at < 0 ? 0 : static_cast<std::size_t>(at);
    }

private:
    static void refuseCostlyTree(std::string_view text)
    {
        if (text.size() < kTreeCheckFromBytes)
            return;
        const std::size_t bound = pugiTreeBytesBound(text);
        if (bound / kTreeBytesPerTextByte > text.size())
        {
            throw XmlTooCostly{"its markup (" + std::to_string(text.size()) +
                               " bytes) would take up to " + std::to_string(bound) +
                               " bytes of parser memory, more than " +
                               std::to_string(kTreeBytesPerTextByte) +
                               " times its size: refused"};
        }
    }

    // The decoder asks for several attributes of most elements that have
    // any: they are read from the tree once per start tag, when first asked.
    void collectAttributes() const
    {
        _attributesRead = true;
        _attributeCount = 0;
        for (pugi::xml_attribute a = _node.first_attribute(); a; a = a.next_attribute())
        {
            if (_attributeCount < kKeptAttributes)
                _attributes[_attributeCount] = Attribute{a.name(), a.value()};
            ++_attributeCount;
        }
    }

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

    // Where the start tag opened at `begin` ends ('>'), passing over
    // quoted attribute values, which may hold '>'.
    static std::size_t endOfStartTag(std::string_view text, std::size_t begin)
    {
        char quote = '\0';
        for (std::size_t at = begin + 1; at < text.size(); ++at)
        {
            const char c = text[at];
            if (quote != '\0')
            {
                if (c == quote)
                    quote = '\0';
            }
            else if (c == '"' || c == '\'')
                quote = c;
            else if (c == '>')
                return at;
        }
        return std::string_view::npos;
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
    std::string _written;        // the fragment as written, when kept
    mutable std::string _endTag;

    struct Attribute
    {
        const char* name;   // measured only when it matches
        const char* value;
    };
    static constexpr std::size_t kKeptAttributes = 8;
    mutable Attribute _attributes[kKeptAttributes];
    mutable std::size_t _attributeCount = 0;  // more than kKeptAttributes: search the tree
    mutable bool _attributesRead = false;
};

}  // namespace

std::unique_ptr<XmlReader> openXmlReader(std::string& document)
{
    return std::make_unique<PugiXmlReader>(document.data(), document.size(), kParseOptions, false);
}

std::unique_ptr<XmlReader> openXmlFragment(char* data, std::size_t size, bool keepText)
{
    return std::make_unique<PugiXmlReader>(data, size, kParseOptions | pugi::parse_fragment,
                                           keepText);
}

}  // namespace ClientDetail
}  // namespace Pegasus
