#include "InstanceSegments.h"

#include <algorithm>
#include <cstring>

namespace Pegasus {
namespace ClientDetail {

namespace {

constexpr std::string_view kOpen = "<VALUE.NAMEDINSTANCE>";
constexpr std::string_view kClose = "</VALUE.NAMEDINSTANCE>";
constexpr std::string_view kContainerOpen = "<IRETURNVALUE>";
constexpr std::string_view kContainerClose = "</IRETURNVALUE>";

// The content before `at` (white space aside) ends with `tag`.
bool precededBy(std::string_view body, std::size_t at, std::string_view tag)
{
    while (at > 0 && isXmlSpace(body[at - 1]))
        --at;
    return at >= tag.size() && body.substr(at - tag.size(), tag.size()) == tag;
}

// Whether "<" + `mark` occurs at or after `from`. The marks ('!' and '?')
// are rare in CIM-XML, so looking for them first is quick.
bool hasMarkup(std::string_view body, char mark, std::size_t from)
{
    const char* const data = body.data();
    for (std::size_t at = from; at < body.size();)
    {
        const void* found = std::memchr(data + at, mark, body.size() - at);
        if (!found)
            return false;
        at = static_cast<std::size_t>(static_cast<const char*>(found) - data);
        if (at > 0 && data[at - 1] == '<')
            return true;
        ++at;
    }
    return false;
}

// True when the only markup other than tags is an XML declaration at the
// very start.
bool onlyTags(std::string_view body)
{
    if (hasMarkup(body, '!', 0))
        return false;
    std::size_t from = 0;
    if (body.compare(0, 2, "<?") == 0)
    {
        from = body.find("?>");
        if (from == std::string_view::npos)
            return false;
    }
    return !hasMarkup(body, '?', from);
}

}  // namespace

std::size_t TagFinder::find(std::string_view body, std::size_t from) const
{
    for (std::size_t at = from + _anchorAt; at < body.size();)
    {
        const void* found = std::memchr(body.data() + at, _anchor, body.size() - at);
        if (!found)
            break;
        at = static_cast<std::size_t>(static_cast<const char*>(found) - body.data());
        const std::size_t start = at - _anchorAt;
        if (body[start] == _tag.front() && body.compare(start, _tag.size(), _tag) == 0)
            return start;
        ++at;
    }
    return std::string_view::npos;
}

std::size_t skipSpace(std::string_view body, std::size_t at)
{
    while (at < body.size() && isXmlSpace(body[at]))
        ++at;
    return at;
}

std::optional<std::vector<ByteRange>> findInstanceSegments(std::string_view body)
{
    // 'C' is the rarest letter of the tags in CIM-XML.
    const TagFinder open(kOpen, 'C');
    const TagFinder close(kClose, 'C');
    std::size_t at = open.find(body, 0);
    if (at == std::string_view::npos || !precededBy(body, at, kContainerOpen) || !onlyTags(body))
        return std::nullopt;

    std::vector<ByteRange> segments;
    std::size_t nextOpen = open.find(body, at + open.size());
    for (;;)
    {
        const std::size_t end = close.find(body, at + open.size());
        if (end == std::string_view::npos || nextOpen < end)
            return std::nullopt;  // unterminated, or a nested instance
        const std::size_t last = end + close.size();
        segments.push_back(ByteRange{at, last});

        at = skipSpace(body, last);
        if (at == nextOpen)
        {
            nextOpen = open.find(body, at + open.size());
            continue;
        }
        // After the last instance: IRETURNVALUE ends, and no instance follows.
        if (body.compare(at, kContainerClose.size(), kContainerClose) != 0 ||
            nextOpen != std::string_view::npos)
            return std::nullopt;
        return segments;
    }
}

}  // namespace ClientDetail
}  // namespace Pegasus
