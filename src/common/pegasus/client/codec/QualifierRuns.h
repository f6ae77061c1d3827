#ifndef Pegasus_Client_Codec_QualifierRuns_h
#define Pegasus_Client_Codec_QualifierRuns_h

#include "DecodeCache.h"

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

// Runs of QUALIFIER elements side by side (the qualifiers of one property
// or of one instance). A response with qualifiers repeats a handful of
// runs, byte for byte, on every instance of a class, and they make half of
// its bytes. Each distinct run is parsed and decoded once; everywhere else
// the parser is spared its bytes.
class QualifierRunMemo
{
public:
    static constexpr std::size_t kMaxRuns = DecodeCache::kMaxEntries;

    struct Run
    {
        std::string written;     // the run as the response wrote it
        std::size_t offset = 0;  // where it was first written, for messages
        bool decoded = false;
        std::vector<DecodeCache::QualifierParts> qualifiers;
    };

    Run* find(std::string_view written)
    {
        auto found = _byText.find(written);
        return found == _byText.end() ? nullptr : found->second;
    }

    // Null when the memo is full: the run is then parsed where it stands.
    Run* add(std::string_view written, std::size_t offset);

private:
    std::deque<Run> _runs;  // addresses that do not move, as the keys view them
    std::unordered_map<std::string_view, Run*> _byText;
};

// The runs taken out of one fragment of a response. Each run is replaced by
// the empty element "<QUALIFIER/>" and the text after it moved up, so the
// parser reads the fragment without them; offsets in the shortened text are
// mapped back to the response's for messages.
class StrippedQualifierRuns
{
public:
    // Strips the runs from the `size` bytes at `data`, which start `offset`
    // bytes into the response, and returns the fragment's new size. The
    // caller vouches for the fragment as findInstanceSegments does (nothing
    // but tags and text), so "<QUALIFIER" can only start a tag. A run first
    // seen is parsed on its own here, so that a syntax error in it is
    // reported before anything is decoded, as for the rest of the fragment.
    // Throws as XmlCursor's constructor does.
    std::size_t strip(char* data, std::size_t size, std::size_t offset, const std::string& where,
                      DecodeCache& cache, QualifierRunMemo& memo);

    // The run whose placeholder's name starts at `nameAt` in the shortened
    // fragment, or null (a QUALIFIER element the response wrote, left in place).
    QualifierRunMemo::Run* runAt(std::size_t nameAt) const;

    // The offset in the fragment as written of `at` in the shortened one.
    std::size_t writtenOffset(std::size_t at) const;

    // Whether a QUALIFIER element was left in place, so that reading
    // elements as written (XmlReader::rawElement) is worth keeping.
    bool leftQualifiers() const { return _leftQualifiers; }

private:
    struct Placeholder
    {
        std::size_t at;       // in the shortened fragment
        std::size_t written;  // where the run began in the fragment as written
        std::size_t removed;  // bytes removed up to the end of this placeholder
        QualifierRunMemo::Run* run;
    };
    std::vector<Placeholder> _placeholders;
    bool _leftQualifiers = false;
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
