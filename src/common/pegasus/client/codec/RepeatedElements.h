#ifndef Pegasus_Client_Codec_RepeatedElements_h
#define Pegasus_Client_Codec_RepeatedElements_h

#include "DecodeCache.h"

#include <Pegasus/Common/CIMProperty.h>

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

// What an EnumerateInstances response repeats byte for byte: the runs of
// QUALIFIER elements of a property (ValueMap, Values) and most PROPERTY
// elements themselves (nine in ten in a Mellanox inventory: the same
// caption, status or null on every instance). Each distinct text is parsed
// and decoded once; everywhere else the parser is spared its bytes and the
// decoder builds the object from the first one. Every object still gets
// its own rep; names and values, which copy on write, are shared.
class RepeatedElementMemo
{
public:
    static constexpr std::size_t kMaxEntries = DecodeCache::kMaxEntries;
    // The texts kept, all kinds together: real responses keep some tens of
    // kilobytes; a body of endless distinct elements gets no more.
    static constexpr std::size_t kMaxBytes = 1024 * 1024;

    struct QualifierRun
    {
        std::string written;     // as the response wrote it
        std::size_t offset = 0;  // where it was first written, for messages
        bool decoded = false;
        std::vector<DecodeCache::QualifierParts> qualifiers;
    };

    struct Property
    {
        std::string written;
        std::size_t offset = 0;
        bool decoded = false;
        // Copies are cloned from `model`, unless the value holds embedded
        // objects (instances are handles: each property decodes its own).
        bool cloneable = false;
        CIMProperty model;
        // The property written after this one when last seen: instances of
        // a class list theirs in the same order, so the next text is most
        // often that one's, which a comparison confirms without hashing.
        Property* followedBy = nullptr;
    };

    QualifierRun* findRun(std::string_view written) const { return find(_runIndex, written); }
    Property* findProperty(std::string_view written) const { return find(_propertyIndex, written); }

    // Null when the memo is full: the element is then parsed where it stands.
    QualifierRun* addRun(std::string_view written, std::size_t offset)
    {
        return add(_runs, _runIndex, written, offset, _bytes);
    }
    Property* addProperty(std::string_view written, std::size_t offset)
    {
        return add(_properties, _propertyIndex, written, offset, _bytes);
    }

private:
    template <typename Entry>
    using Index = std::unordered_map<std::string_view, Entry*, TextHash>;

    template <typename Entry>
    static Entry* find(const Index<Entry>& index, std::string_view written)
    {
        auto found = index.find(written);
        return found == index.end() ? nullptr : found->second;
    }

    template <typename Entry>
    static Entry* add(std::deque<Entry>& entries, Index<Entry>& index, std::string_view written,
                      std::size_t offset, std::size_t& bytes)
    {
        if (entries.size() >= kMaxEntries || written.size() > kMaxBytes - bytes)
            return nullptr;
        bytes += written.size();
        Entry& entry = entries.emplace_back();  // addresses that do not move
        entry.written.assign(written);
        entry.offset = offset;
        index.emplace(std::string_view(entry.written), &entry);
        return &entry;
    }

    std::size_t _bytes = 0;
    std::deque<QualifierRun> _runs;
    Index<QualifierRun> _runIndex;
    std::deque<Property> _properties;
    Index<Property> _propertyIndex;
};

// Where one pass took runs of elements out of a text, each replaced by an
// empty element holding its place, and the text after it moved up.
class Compaction
{
public:
    Compaction(char* data, std::size_t size) : _data(data), _size(size) {}

    // Replaces [begin, end) (after what was replaced before) with
    // `placeholder`; returns where the placeholder is in the shortened text.
    std::size_t replace(std::size_t begin, std::size_t end, std::string_view placeholder);

    // Where the byte at `at`, not yet moved, will be in the shortened text.
    std::size_t shortened(std::size_t at) const { return at - _removed; }

    // Moves the rest up; returns the shortened size.
    std::size_t finish();

    // The offset in the text as it was of `at` in the shortened one.
    std::size_t before(std::size_t at) const;

private:
    struct Mark
    {
        std::size_t at;       // the placeholder, in the shortened text
        std::size_t size;     // of the placeholder
        std::size_t written;  // where the replaced run began
        std::size_t removed;  // bytes removed up to the end of this placeholder
    };
    char* _data;
    std::size_t _size;
    std::size_t _read = 0;   // bytes before it are in place
    std::size_t _write = 0;  // where they went
    std::size_t _removed = 0;
    std::vector<Mark> _marks;
};

// The repeated elements taken out of one fragment of a response: first the
// PROPERTY elements seen before in the response (a run of them side by side
// per placeholder), then the runs of QUALIFIER elements of what is left.
class StrippedElements
{
public:
    struct PropertyRun
    {
        std::size_t at = 0;  // after the first pass
        std::vector<RepeatedElementMemo::Property*> properties;
    };

    // Strips the `size` bytes at `data`, which start `offset` bytes into the
    // response, and returns the fragment's new size. The caller vouches for
    // the fragment as findInstanceSegments does (nothing but tags and text),
    // so that "<PROPERTY" and "<QUALIFIER" can only start tags. A qualifier
    // run first seen is parsed on its own here, so that a syntax error in it
    // is reported before anything is decoded, as for the rest of the
    // fragment; a property first seen stays and is parsed where it stands.
    // Throws as XmlCursor's constructor does.
    std::size_t strip(char* data, std::size_t size, std::size_t offset, const std::string& where,
                      DecodeCache& cache, RepeatedElementMemo& memo);

    // At the start tag whose name starts at `nameAt` in the stripped
    // fragment: the run it holds the place of, or null.
    RepeatedElementMemo::QualifierRun* qualifierRunAt(std::size_t nameAt) const;
    const PropertyRun* propertyRunAt(std::size_t nameAt) const;
    // The property first seen there, to be kept as the model of its copies.
    RepeatedElementMemo::Property* firstPropertyAt(std::size_t nameAt) const;

    // The offset in the fragment as written of `at` in the stripped one.
    std::size_t writtenOffset(std::size_t at) const;

    // Whether a QUALIFIER element was left in place, so that reading
    // elements as written (XmlReader::rawElement) is worth keeping.
    bool leftQualifiers() const { return _leftQualifiers; }

private:
    std::size_t stripProperties(char* data, std::size_t size, std::size_t offset,
                                RepeatedElementMemo& memo);
    std::size_t stripQualifiers(char* data, std::size_t size, std::size_t offset,
                                const std::string& where, DecodeCache& cache,
                                RepeatedElementMemo& memo);
    std::size_t afterFirstPass(std::size_t nameAt) const;

    struct FirstProperty
    {
        std::size_t at;  // after the first pass
        RepeatedElementMemo::Property* property;
    };
    struct QualifierPlace
    {
        std::size_t at;
        RepeatedElementMemo::QualifierRun* run;
    };
    std::vector<PropertyRun> _propertyRuns;
    std::vector<FirstProperty> _firstProperties;
    std::vector<QualifierPlace> _qualifierRuns;
    std::vector<Compaction> _passes;  // properties, then qualifiers
    bool _leftQualifiers = false;
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
