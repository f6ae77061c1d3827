#include "QualifierRuns.h"

#include "InstanceSegments.h"
#include "XmlCursor.h"

#include <algorithm>
#include <cstring>

namespace Pegasus {
namespace ClientDetail {

namespace {

constexpr std::string_view kStart = "<QUALIFIER";
constexpr std::string_view kEnd = "</QUALIFIER>";
constexpr std::string_view kPlaceholder = "<QUALIFIER/>";

// The text is only searched for the start and end tags of QUALIFIER, which
// the caller's scan made sure are real tags; what lies between them is left
// to the parser, which still reads every distinct run in full.
class RunFinder
{
public:
    explicit RunFinder(std::string_view text) : _text(text) {}

    // The next "<QUALIFIER" at or after `from` that starts a QUALIFIER tag
    // (not QUALIFIER.DECLARATION, say).
    std::size_t nextStart(std::size_t from) const
    {
        for (;;)
        {
            const std::size_t at = find(kStart, from);
            if (at == std::string_view::npos)
                return at;
            const std::size_t after = at + kStart.size();
            if (after < _text.size() &&
                (isXmlSpace(_text[after]) || _text[after] == '>' || _text[after] == '/'))
                return at;
            from = at + 1;
        }
    }

    // From the QUALIFIER start tag at `at`: the end of the run of QUALIFIER
    // elements written one after the other from there, each closed by its
    // own end tag with no QUALIFIER inside; 0 when even the first is not.
    // `resume` is where the next search for a run starts.
    std::size_t runEnd(std::size_t at, std::size_t& resume, bool& leftOne) const
    {
        std::size_t end = 0;
        std::size_t next = nextStart(at + 1);
        for (;;)
        {
            const std::size_t close = find(kEnd, at);
            if (close == std::string_view::npos || next < close)
            {
                // Empty-element tag, or a nested one: left to the parser.
                leftOne = true;
                resume = next;
                return end;
            }
            end = close + kEnd.size();
            if (skipSpace(_text, end) != next)
            {
                resume = next;
                return end;
            }
            at = next;
            next = nextStart(at + 1);
        }
    }

private:
    // Where `tag` occurs at or after `from`. Both tags hold a 'Q', a letter
    // that is rare elsewhere in CIM-XML: searching for it runs at the speed
    // of memchr, several times a general substring search.
    std::size_t find(std::string_view tag, std::size_t from) const
    {
        const std::size_t q = tag.find('Q');
        for (std::size_t at = from + q; at < _text.size();)
        {
            const void* found = std::memchr(_text.data() + at, 'Q', _text.size() - at);
            if (!found)
                break;
            at = static_cast<std::size_t>(static_cast<const char*>(found) - _text.data());
            if (_text.compare(at - q, tag.size(), tag) == 0)
                return at - q;
            ++at;
        }
        return std::string_view::npos;
    }

    std::string_view _text;
};

}  // namespace

QualifierRunMemo::Run* QualifierRunMemo::add(std::string_view written, std::size_t offset)
{
    if (_runs.size() >= kMaxRuns)
        return nullptr;
    Run& run = _runs.emplace_back();
    run.written.assign(written);
    run.offset = offset;
    _byText.emplace(std::string_view(run.written), &run);
    return &run;
}

std::size_t StrippedQualifierRuns::strip(char* data, std::size_t size, std::size_t offset,
                                         const std::string& where, DecodeCache& cache,
                                         QualifierRunMemo& memo)
{
    const std::string_view text(data, size);
    const RunFinder finder(text);
    std::size_t read = 0;   // bytes before it are in place
    std::size_t write = 0;  // where they went
    std::size_t removed = 0;
    for (std::size_t at = finder.nextStart(0); at != std::string_view::npos;)
    {
        std::size_t resume = std::string_view::npos;
        const std::size_t end = finder.runEnd(at, resume, _leftQualifiers);
        if (end == 0)
        {
            at = resume;
            continue;
        }
        const std::string_view written = text.substr(at, end - at);
        QualifierRunMemo::Run* run = memo.find(written);
        if (!run)
        {
            run = memo.add(written, offset + at);
            if (run)
            {
                // Parsed for its syntax now; decoded when first read.
                std::string copy(written);
                XmlCursor check(copy.data(), copy.size(), offset + at, where, cache);
            }
        }
        if (!run)
        {
            _leftQualifiers = true;
            at = resume;
            continue;
        }
        // Bytes are only ever moved towards the start: what is still to be
        // searched (from `at` on) is untouched.
        std::memmove(data + write, data + read, at - read);
        write += at - read;
        std::memcpy(data + write, kPlaceholder.data(), kPlaceholder.size());
        removed += written.size() - kPlaceholder.size();
        _placeholders.push_back(Placeholder{write, at, removed, run});
        write += kPlaceholder.size();
        read = end;
        at = resume;
    }
    if (_placeholders.empty())
        return size;
    std::memmove(data + write, data + read, size - read);
    return write + size - read;
}

QualifierRunMemo::Run* StrippedQualifierRuns::runAt(std::size_t nameAt) const
{
    if (nameAt == 0)
        return nullptr;
    const auto found = std::lower_bound(
        _placeholders.begin(), _placeholders.end(), nameAt - 1,
        [](const Placeholder& placeholder, std::size_t at) { return placeholder.at < at; });
    return found != _placeholders.end() && found->at == nameAt - 1 ? found->run : nullptr;
}

std::size_t StrippedQualifierRuns::writtenOffset(std::size_t at) const
{
    const auto after = std::upper_bound(
        _placeholders.begin(), _placeholders.end(), at,
        [](std::size_t offset, const Placeholder& placeholder) { return offset < placeholder.at; });
    if (after == _placeholders.begin())
        return at;
    const Placeholder& placeholder = *(after - 1);
    if (at < placeholder.at + kPlaceholder.size())
        return placeholder.written + (at - placeholder.at);
    return at + placeholder.removed;
}

}  // namespace ClientDetail
}  // namespace Pegasus
