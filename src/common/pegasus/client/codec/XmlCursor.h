#ifndef Pegasus_Client_Codec_XmlCursor_h
#define Pegasus_Client_Codec_XmlCursor_h

#include "../xml/XmlReader.h"
#include "DecodeCache.h"
#include "RepeatedElements.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

// Element-level navigation over an XmlReader for the CIM-XML decoder:
// moves from tag to tag, checks names, reads attributes and character data,
// and reports every mismatch as a CIMClientXmlException naming the server
// and the byte offset.
class XmlCursor
{
public:
    // Parses `document` in place; `where` is "host:port" for messages.
    // `cache` keeps what was decoded for the other parts of the response.
    XmlCursor(std::string& document, std::string where, DecodeCache& cache);

    // Parses in place the element content held in the `size` bytes at
    // `data`, which start `offset` bytes into the response (messages give
    // offsets in the response).
    // With `keepText`, elements can also be had as written (rawElement);
    // see openXmlFragment.
    // With `stripped`, the fragment is one whose repeated elements were
    // taken out (see StrippedElements), which must outlive the cursor.
    XmlCursor(char* data, std::size_t size, std::size_t offset, std::string where,
              DecodeCache& cache, bool keepText = false,
              const StrippedElements* stripped = nullptr);

    // Moves to the next start or end tag, skipping character data.
    void nextTag();

    bool atStart() const { return _token == XmlReader::Token::StartElement; }
    bool atStart(std::string_view name) const { return atStart() && _reader->name() == name; }
    bool atEnd(std::string_view name) const
    {
        return _token == XmlReader::Token::EndElement && _reader->name() == name;
    }
    std::string_view name() const { return _reader->name(); }

    // nextTag(), then the tag must be the start of `name` (or its end).
    void enter(std::string_view name);
    void leave(std::string_view name);

    std::string_view requiredAttribute(std::string_view attribute) const;
    bool attribute(std::string_view attribute, std::string_view& value) const
    {
        return _reader->attribute(attribute, value);
    }

    // At the start of a text-only element: returns its character data and
    // leaves the cursor at its end tag. The view points into the document,
    // valid as long as the cursor, unless textIsTransient() says that it
    // was joined from pieces; then it is valid until the next readText().
    std::string_view readText();
    bool textIsTransient() const { return _textJoined; }

    // At the start of an element whose children are all `childName`
    // elements holding text only: appends their texts (valid as long as
    // the cursor), leaves the cursor at the element's end tag and returns
    // true. Otherwise returns false and does not move.
    bool readChildTexts(std::string_view childName, std::vector<std::string_view>& texts);

    // At the start of an element: moves to its end tag, skipping its content.
    void skipElement();

    // At the start of an element that never holds one of its own name: its
    // bytes as the response wrote them, when the reader kept them.
    bool rawElement(std::string_view& raw) const { return _reader->rawElement(raw); }

    // At the start of an element that holds the place of a run of
    // qualifiers, or of properties, taken out of the fragment: that run;
    // otherwise null.
    RepeatedElementMemo::QualifierRun* qualifierRun() const;
    const StrippedElements::PropertyRun* propertyRun() const;
    // At the start of a property whose text was first seen here: its entry.
    RepeatedElementMemo::Property* firstProperty() const;

    // Moves to the next start or end tag, or returns false at the end of
    // the document.
    bool nextTagOrEnd();

    [[noreturn]] void fail(const std::string& reason) const;
    // Well-formed CIM-XML whose content cannot be taken (CIMClientResponseException).
    [[noreturn]] void refuse(const std::string& reason) const;

    // Where the cursor is, in bytes from the start of the response.
    std::size_t position() const { return offset(); }
    [[noreturn]] void unexpected(std::string_view expected) const;

    const std::string& where() const { return _where; }

    // Names and values already decoded from this document.
    DecodeCache& cache() { return _cache; }

private:
    std::size_t offset() const;

    std::string _where;
    std::size_t _offset = 0;
    DecodeCache& _cache;
    const StrippedElements* _stripped = nullptr;
    std::unique_ptr<XmlReader> _reader;
    XmlReader::Token _token = XmlReader::Token::EndOfDocument;
    std::string _joinedText;
    bool _textJoined = false;
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
