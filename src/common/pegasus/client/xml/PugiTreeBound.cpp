#include "PugiTreeBound.h"

#include <algorithm>
#include <cstring>

namespace Pegasus {
namespace ClientDetail {

namespace {

constexpr std::size_t kNodeBytes = 64;
constexpr std::size_t kAttributeBytes = 40;

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool holdsText(const char* begin, const char* end)
{
    return !std::all_of(begin, end, isXmlSpace);
}

const char* findOpen(const char* from, const char* last)
{
    return static_cast<const char*>(std::memchr(from, '<', static_cast<std::size_t>(last - from)));
}

}  // namespace

std::size_t pugiTreeBytesBound(std::string_view document)
{
    const char* const first = document.data();
    const char* const last = first + document.size();
    const char* open = findOpen(first, last);
    if (!open)
        return holdsText(first, last) ? kNodeBytes : 0;
    std::size_t nodes = holdsText(first, open) ? 1 : 0;
    while (open)
    {
        // '<' cannot occur inside a tag (attribute values included), so the
        // tag opened here ends at the last '>' before the next '<', and
        // what follows that '>' is text.
        const char* const next = findOpen(open + 1, last);
        const char* const segmentEnd = next ? next : last;
        const char* tagEnd = segmentEnd;
        while (tagEnd > open && *(tagEnd - 1) != '>')
            --tagEnd;
        const char kind = open + 1 < last ? open[1] : '\0';
        bool textIsNode = true;
        if (kind != '/')
        {
            ++nodes;  // element, comment, CDATA section or processing instruction
            const bool startTag = kind != '!' && kind != '?';
            const bool emptyElement = tagEnd - open >= 3 && *(tagEnd - 2) == '/';
            // An element's first text is kept in the element itself.
            textIsNode = !startTag || emptyElement;
        }
        if (textIsNode && tagEnd > open && holdsText(tagEnd, segmentEnd))
            ++nodes;
        open = next;
    }
    const std::size_t attributes = static_cast<std::size_t>(std::count(first, last, '='));
    return nodes * kNodeBytes + attributes * kAttributeBytes;
}

}  // namespace ClientDetail
}  // namespace Pegasus
