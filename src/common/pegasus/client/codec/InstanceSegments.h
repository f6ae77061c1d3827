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

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
