#ifndef Pegasus_Client_Codec_InstanceSegments_h
#define Pegasus_Client_Codec_InstanceSegments_h

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

// A range of bytes of a response body.
struct ByteRange
{
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Where the VALUE.NAMEDINSTANCE elements of an EnumerateInstances response
// lie, so that each can be parsed on its own: a parser's tree of the whole
// response takes several times the response's size, a tree of one instance
// a few kilobytes.
//
// The scan only accepts what cannot be misread without parsing: the
// instances must be the whole content of IRETURNVALUE, written as
// "<VALUE.NAMEDINSTANCE>" ... "</VALUE.NAMEDINSTANCE>" with only white space
// between them, and the body must hold no comment, CDATA section, DOCTYPE
// or processing instruction besides the XML declaration. Outside those,
// '<' only starts a tag (text and attribute values cannot hold it), so
// every such string found is a real tag. Anything else gives nullopt and
// the caller parses the body whole.
std::optional<std::vector<ByteRange>> findInstanceSegments(std::string_view body);

inline bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The first byte at or after `at` that is not XML white space.
std::size_t skipSpace(std::string_view body, std::size_t at);

// Finds a tag's text in a body by one of its letters, `anchor`, chosen
// rare in CIM-XML outside such tags: memchr then skips ahead several times
// faster than a general substring search.
class TagFinder
{
public:
    TagFinder(std::string_view tag, char anchor)
        : _tag(tag), _anchorAt(tag.find(anchor)), _anchor(anchor)
    {
    }

    std::size_t find(std::string_view body, std::size_t from) const;
    std::size_t size() const { return _tag.size(); }

private:
    std::string_view _tag;
    std::size_t _anchorAt;
    char _anchor;
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
