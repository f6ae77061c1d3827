#include "RepeatedElements.h"

#include "InstanceSegments.h"
#include "XmlCursor.h"

#include <algorithm>
#include <cstring>

namespace Pegasus {
namespace ClientDetail {

namespace {

constexpr std::string_view kQualifierStart = "<QUALIFIER";
constexpr std::string_view kQualifierEnd = "</QUALIFIER>";
constexpr std::string_view kQualifierPlaceholder = "<QUALIFIER/>";
constexpr std::string_view kPropertyStart = "<PROPERTY";
constexpr std::string_view kPropertyEnd = "</PROPERTY";

bool endsName(char c)
{
    return isXmlSpace(c) || c == '>' || c == '/';
}

// The text is only searched for the start and end tags of the elements
// taken out, which the caller's scan made sure are real tags; what lies
// between them is left to the parser, which still reads every distinct
// element in full.
class TagSearch
{
public:
    explicit TagSearch(std::string_view text) : _text(text) {}

    // 'Q' is rare in CIM-XML outside these tags.
    static constexpr char kQualifierAnchor = 'Q';

    std::string_view text() const { return _text; }

    // The next QUALIFIER start tag at or after `from` (not
    // QUALIFIER.DECLARATION, say).
    std::size_t nextQualifier(std::size_t from) const
    {
        for (;;)
        {
            const std::size_t at = _qualifierStarts.find(_text, from);
            if (at == std::string_view::npos)
                return at;
            const std::size_t after = at + kQualifierStart.size();
            if (after < _text.size() && endsName(_text[after]))
                return at;
            from = at + 1;
        }
    }

    // From the QUALIFIER start tag at `at`: the end of the run of QUALIFIER
    // elements written one after the other from there, each closed by its
    // own end tag with no QUALIFIER inside; 0 when even the first is not.
    // `resume` is where the next search for a run starts.
    std::size_t qualifierRunEnd(std::size_t at, std::size_t& resume, bool& leftOne) const
    {
        std::size_t end = 0;
        std::size_t next = nextQualifier(at + 1);
        for (;;)
        {
            const std::size_t close = _qualifierEnds.find(_text, at);
            if (close == std::string_view::npos || next < close)
            {
                // Empty-element tag, or a nested one: left to the parser.
                leftOne = true;
                resume = next;
                return end;
            }
            end = close + kQualifierEnd.size();
            if (skipSpace(_text, end) != next)
            {
                resume = next;
                return end;
            }
            at = next;
            next = nextQualifier(at + 1);
        }
    }

    // The length of the element name (PROPERTY, PROPERTY.ARRAY or
    // PROPERTY.REFERENCE) whose start tag begins at `at`, or 0.
    std::size_t propertyNameAt(std::size_t at) const
    {
        std::size_t after = at + kPropertyStart.size();
        if (after < _text.size() && _text[after] == '.')
        {
            for (std::string_view suffix : {std::string_view(".ARRAY"), std::string_view(".REFERENCE")})
            {
                if (_text.compare(after, suffix.size(), suffix) == 0)
                {
                    after += suffix.size();
                    break;
                }
            }
        }
        return after < _text.size() && endsName(_text[after]) ? after - at - 1 : 0;
    }

    // The next property start or end tag at or after `from`; `isEnd` says which.
    std::size_t nextPropertyTag(std::size_t from, bool& isEnd) const
    {
        constexpr std::size_t kAnchor = kPropertyStart.size() - 1;  // its 'Y'
        for (std::size_t at = from + kAnchor; at < _text.size();)
        {
            const void* found = std::memchr(_text.data() + at, 'Y', _text.size() - at);
            if (!found)
                break;
            at = static_cast<std::size_t>(static_cast<const char*>(found) - _text.data());
            const std::size_t start = at - kAnchor;
            if (_text[start] == '<' && start >= from &&
                _text.compare(start, kPropertyStart.size(), kPropertyStart) == 0 &&
                propertyNameAt(start) != 0)
            {
                isEnd = false;
                return start;
            }
            if (start > 0 && start - 1 >= from && _text[start - 1] == '<' &&
                _text.compare(start - 1, kPropertyEnd.size(), kPropertyEnd) == 0)
            {
                isEnd = true;
                return start - 1;
            }
            ++at;
        }
        return std::string_view::npos;
    }

    // The next property start tag at or after `from`.
    std::size_t nextProperty(std::size_t from) const
    {
        bool isEnd = false;
        std::size_t at = nextPropertyTag(from, isEnd);
        while (at != std::string_view::npos && isEnd)
            at = nextPropertyTag(at + 1, isEnd);
        return at;
    }

    // The end of the property element whose start tag begins at `at`, when
    // its own end tag closes it with no property start tag inside; else 0.
    // `next` is the next property start tag after `at`.
    std::size_t propertyEnd(std::size_t at, std::size_t& next) const
    {
        const std::size_t nameSize = propertyNameAt(at);
        bool isEnd = false;
        const std::size_t close = nextPropertyTag(at + 1, isEnd);
        if (close == std::string_view::npos || !isEnd)
        {
            next = close;
            return 0;
        }
        next = nextProperty(close + 1);
        if (_text.compare(close + 2, nameSize, _text.substr(at + 1, nameSize)) != 0 ||
            close + 2 + nameSize >= _text.size() || _text[close + 2 + nameSize] != '>')
            return 0;
        return close + 2 + nameSize + 1;
    }

private:
    std::string_view _text;
    TagFinder _qualifierStarts{kQualifierStart, kQualifierAnchor};
    TagFinder _qualifierEnds{kQualifierEnd, kQualifierAnchor};
};

// The entry found at `at` in `places`, kept in order of `at`.
template <typename Place>
const Place* placeAt(const std::vector<Place>& places, std::size_t at)
{
    const auto found = std::lower_bound(places.begin(), places.end(), at,
                                        [](const Place& place, std::size_t value) { return place.at < value; });
    return found != places.end() && found->at == at ? &*found : nullptr;
}

}  // namespace

std::size_t Compaction::replace(std::size_t begin, std::size_t end, std::string_view placeholder)
{
    // Bytes are only ever moved towards the start: what is still to be
    // searched (from `begin` on) is untouched.
    std::memmove(_data + _write, _data + _read, begin - _read);
    _write += begin - _read;
    const std::size_t at = _write;
    std::memcpy(_data + _write, placeholder.data(), placeholder.size());
    _removed += end - begin - placeholder.size();
    _marks.push_back(Mark{at, placeholder.size(), begin, _removed});
    _write += placeholder.size();
    _read = end;
    return at;
}

std::size_t Compaction::finish()
{
    if (_marks.empty())
        return _size;
    std::memmove(_data + _write, _data + _read, _size - _read);
    return _write + _size - _read;
}

std::size_t Compaction::before(std::size_t at) const
{
    const auto after = std::upper_bound(
        _marks.begin(), _marks.end(), at,
        [](std::size_t offset, const Mark& mark) { return offset < mark.at; });
    if (after == _marks.begin())
        return at;
    const Mark& mark = *(after - 1);
    if (at < mark.at + mark.size)
        return mark.written + (at - mark.at);
    return at + mark.removed;
}

std::size_t StrippedElements::strip(char* data, std::size_t size, std::size_t offset,
                                    const std::string& where, DecodeCache& cache,
                                    RepeatedElementMemo& memo)
{
    _passes.reserve(2);
    const std::size_t shorter = stripProperties(data, size, offset, memo);
    return stripQualifiers(data, shorter, offset, where, cache, memo);
}

std::size_t StrippedElements::stripProperties(char* data, std::size_t size, std::size_t offset,
                                              RepeatedElementMemo& memo)
{
    const TagSearch search(std::string_view(data, size));
    const std::string_view text = search.text();
    Compaction& compaction = _passes.emplace_back(data, size);
    RepeatedElementMemo::Property* previous = nullptr;
    auto lookUp = [&](std::size_t begin, std::size_t end) {
        const std::string_view written = text.substr(begin, end - begin);
        RepeatedElementMemo::Property* found = nullptr;
        if (previous && previous->followedBy && previous->followedBy->written == written)
            found = previous->followedBy;
        else if ((found = memo.findProperty(written)) != nullptr && previous)
            previous->followedBy = found;
        if (found)
            previous = found;
        return found;
    };
    std::size_t at = search.nextProperty(0);
    while (at != std::string_view::npos)
    {
        std::size_t next = std::string_view::npos;
        const std::size_t end = search.propertyEnd(at, next);
        if (end == 0)
        {
            at = next;  // left to the parser
            continue;
        }
        RepeatedElementMemo::Property* known = lookUp(at, end);
        if (!known)
        {
            if (RepeatedElementMemo::Property* added =
                    memo.addProperty(text.substr(at, end - at), offset + at))
            {
                _firstProperties.push_back(FirstProperty{compaction.shortened(at), added});
                if (previous)
                    previous->followedBy = added;
                previous = added;
            }
            at = next;
            continue;
        }
        // Properties seen before, side by side: one placeholder, named as
        // the first, for all of them.
        PropertyRun run;
        run.properties.push_back(known);
        std::size_t runEnd = end;
        while (next != std::string_view::npos && skipSpace(text, runEnd) == next)
        {
            std::size_t after = std::string_view::npos;
            const std::size_t nextEnd = search.propertyEnd(next, after);
            RepeatedElementMemo::Property* nextKnown = nextEnd == 0 ? nullptr : lookUp(next, nextEnd);
            if (!nextKnown)
                break;
            run.properties.push_back(nextKnown);
            runEnd = nextEnd;
            next = after;
        }
        const std::string placeholder =
            "<" + std::string(text.substr(at + 1, search.propertyNameAt(at))) + "/>";
        run.at = compaction.replace(at, runEnd, placeholder);
        _propertyRuns.push_back(std::move(run));
        at = next;
    }
    return compaction.finish();
}

std::size_t StrippedElements::stripQualifiers(char* data, std::size_t size, std::size_t offset,
                                              const std::string& where, DecodeCache& cache,
                                              RepeatedElementMemo& memo)
{
    const TagSearch search(std::string_view(data, size));
    const std::string_view text = search.text();
    const Compaction& properties = _passes.front();
    Compaction& compaction = _passes.emplace_back(data, size);
    for (std::size_t at = search.nextQualifier(0); at != std::string_view::npos;)
    {
        std::size_t resume = std::string_view::npos;
        const std::size_t end = search.qualifierRunEnd(at, resume, _leftQualifiers);
        if (end == 0)
        {
            at = resume;
            continue;
        }
        const std::string_view written = text.substr(at, end - at);
        RepeatedElementMemo::QualifierRun* run = memo.findRun(written);
        if (!run)
        {
            const std::size_t writtenAt = offset + properties.before(at);
            run = memo.addRun(written, writtenAt);
            if (run)
            {
                // Parsed for its syntax now; decoded when first read.
                std::string copy(written);
                XmlCursor check(copy.data(), copy.size(), writtenAt, where, cache);
            }
        }
        if (!run)
        {
            _leftQualifiers = true;
            at = resume;
            continue;
        }
        _qualifierRuns.push_back(QualifierPlace{compaction.replace(at, end, kQualifierPlaceholder), run});
        at = resume;
    }
    return compaction.finish();
}

std::size_t StrippedElements::afterFirstPass(std::size_t nameAt) const
{
    return _passes.size() < 2 ? nameAt - 1 : _passes[1].before(nameAt - 1);
}

RepeatedElementMemo::QualifierRun* StrippedElements::qualifierRunAt(std::size_t nameAt) const
{
    if (nameAt == 0)
        return nullptr;
    const QualifierPlace* place = placeAt(_qualifierRuns, nameAt - 1);
    return place ? place->run : nullptr;
}

const StrippedElements::PropertyRun* StrippedElements::propertyRunAt(std::size_t nameAt) const
{
    return nameAt == 0 ? nullptr : placeAt(_propertyRuns, afterFirstPass(nameAt));
}

RepeatedElementMemo::Property* StrippedElements::firstPropertyAt(std::size_t nameAt) const
{
    if (nameAt == 0)
        return nullptr;
    const FirstProperty* first = placeAt(_firstProperties, afterFirstPass(nameAt));
    return first ? first->property : nullptr;
}

std::size_t StrippedElements::writtenOffset(std::size_t at) const
{
    for (auto pass = _passes.rbegin(); pass != _passes.rend(); ++pass)
        at = pass->before(at);
    return at;
}

}  // namespace ClientDetail
}  // namespace Pegasus
