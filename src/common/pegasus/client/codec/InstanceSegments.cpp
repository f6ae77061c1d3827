#include "InstanceSegments.h"

#include <cstring>

namespace Pegasus {
namespace ClientDetail {

namespace {

constexpr std::string_view kOpen = "<VALUE.NAMEDINSTANCE>";
constexpr std::string_view kClose = "</VALUE.NAMEDINSTANCE>";
constexpr std::string_view kContainerOpen = "<IRETURNVALUE>";
constexpr std::string_view kContainerClose = "</IRETURNVALUE>";

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::size_t skipSpace(std::string_view body, std::size_t at)
{
    while (at < body.size() && isXmlSpace(body[at]))
        ++at;
    return at;
}

// The content before `at` (white space aside) ends with `tag`.
bool precededBy(std::string_view body, std::size_t at, std::string_view tag)
{
    while (at > 0 && isXmlSpace(body[at - 1]))
        --at;
    return at >= tag.size() && body.substr(at - tag.size(), tag.size()) == tag;
}

}  // namespace

std::optional<std::vector<ByteRange>> findInstanceSegments(std::string_view body)
{
    // One pass over the '<' of the body. `open` is where the current
    // instance starts (npos between instances); `last` is the end of the
    // previous one.
    constexpr std::size_t none = std::string_view::npos;
    std::vector<ByteRange> segments;
    std::size_t open = none;
    std::size_t last = none;
    bool closed = false;  // IRETURNVALUE ended after the instances
    const char* const data = body.data();
    std::size_t at = 0;
    for (;;)
    {
        const void* found = std::memchr(data + at, '<', body.size() - at);
        if (!found)
            break;
        at = static_cast<std::size_t>(static_cast<const char*>(found) - data);
        const std::string_view rest = body.substr(at);
        if (rest.size() < 2 || rest[1] == '!' || (rest[1] == '?' && at != 0))
            return std::nullopt;  // comment, CDATA, DOCTYPE or PI
        if (closed)
        {
            // After the instances: only the closing tags of the envelope.
        }
        else if (rest.compare(0, kOpen.size(), kOpen) == 0)
        {
            if (open != none)
                return std::nullopt;  // nested instance
            if (last == none ? !precededBy(body, at, kContainerOpen)
                             : skipSpace(body, last) != at)
                return std::nullopt;  // not the first child, or not next to the previous
            open = at;
        }
        else if (rest.compare(0, kClose.size(), kClose) == 0)
        {
            if (open == none)
                return std::nullopt;
            last = at + kClose.size();
            segments.push_back(ByteRange{open, last});
            open = none;
        }
        else if (open == none && last != none)
        {
            // The first tag after an instance must end IRETURNVALUE.
            if (rest.compare(0, kContainerClose.size(), kContainerClose) != 0 ||
                skipSpace(body, last) != at)
                return std::nullopt;
            closed = true;
        }
        ++at;
    }
    if (segments.empty() || !closed)
        return std::nullopt;
    return segments;
}

}  // namespace ClientDetail
}  // namespace Pegasus
