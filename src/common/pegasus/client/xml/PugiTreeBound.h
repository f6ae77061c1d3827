#ifndef Pegasus_Client_Xml_PugiTreeBound_h
#define Pegasus_Client_Xml_PugiTreeBound_h

#include <cstddef>
#include <string_view>

namespace Pegasus {
namespace ClientDetail {

// What pugixml's tree of a document can take at most, read from the
// document's markup before parsing it, so that a body of tiny elements,
// deep nesting or long attribute lists is refused before the tree grows
// to many times the body.
//
// Counts each node the parser may make (an element, comment, CDATA
// section or processing instruction per '<' not starting an end tag; a
// separate text node where text other than white space follows an end
// tag, an empty-element tag or other markup: text right after a start tag
// is kept in its element) at pugixml's 64 bytes a node (64-bit), and each
// '=' of the document as an attribute at 40 bytes. Never less than the
// tree the parser builds; the responses of real CIM servers come out at
// 2.0 to 2.5 times their text.
std::size_t pugiTreeBytesBound(std::string_view document);

// The most a tree may take per byte of the text it is parsed from: well
// above real responses, below the tiny elements, deep nesting and long
// attribute lists (8 to 16 times) that only a hostile server sends.
constexpr std::size_t kTreeBytesPerTextByte = 4;

// Documents this small are parsed whatever their markup: their tree stays
// small in any case.
constexpr std::size_t kTreeCheckFromBytes = 64 * 1024;

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
