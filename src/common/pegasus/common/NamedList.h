// The ordered lists of qualifiers and properties held by objects and
// properties: lookup by name without regard to case, with a folded-name
// hash per entry so that most candidates are rejected by one comparison.
#ifndef Pegasus_Common_Internal_NamedList_h
#define Pegasus_Common_Internal_NamedList_h

#include <cstring>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/Exception.h>

#include "CaseFolding.h"

namespace Pegasus {
namespace Internal {

// Letter case is folded by setting bit 5 of every unit: a letter and its
// other case (ASCII and Latin-1, see CaseFolding.h) differ in that bit
// alone, so names equal without regard to case hash alike; other units
// that differ only there merely collide, and names are compared anyway.
// Four units at a step: every property added and looked up is hashed.
inline Uint32 foldedNameHash(const CIMName& name)
{
    constexpr Uint64 kFold = 0x0020002000200020ULL;
    constexpr Uint64 kMultiplier = 0xff51afd7ed558ccdULL;
    const String& text = name.getString();
    const char* units = reinterpret_cast<const char*>(text.getChar16Data());
    const Uint32 n = text.size();
    Uint64 hash = 0x9e3779b97f4a7c15ULL ^ n;
    Uint32 i = 0;
    for (; i + 4 <= n; i += 4)
    {
        Uint64 word;
        std::memcpy(&word, units + 2 * i, 8);
        hash = (hash ^ (word | kFold)) * kMultiplier;
        hash ^= hash >> 29;
    }
    if (i < n)
    {
        Uint64 word = 0;
        std::memcpy(&word, units + 2 * i, 2 * (n - i));
        hash = (hash ^ (word | kFold)) * kMultiplier;
    }
    hash ^= hash >> 32;
    return Uint32(hash);
}

// Item is a handle class with getName(). With Hashed, entries keep the
// hash of the name the item had when added, so items must not be renamed
// while listed (CIMProperty refuses that, as in OpenPegasus); qualifiers,
// which may be renamed in place, use the plain search.
// One bit per hash value modulo 256 of the names in a hashed list; plain
// lists (qualifiers, one per property) carry nothing.
// Long hashed lists also keep an index by hash (see kIndexedFrom).
struct NameHashFilter
{
    Uint64 seen[4] = {0, 0, 0, 0};
    std::unordered_multimap<Uint32, Uint32> byHash;  // hash to index; empty while short
};
struct NoNameHashFilter
{
};

template<class Item, bool Hashed>
class NamedList : private std::conditional_t<Hashed, NameHashFilter, NoNameHashFilter>
{
public:
    Uint32 size() const { return Uint32(_entries.size()); }

    const Item& at(Uint32 index) const
    {
        if (index >= _entries.size())
            throw IndexOutOfBoundsException();
        return _entries[index].item;
    }

    Uint32 find(const CIMName& name) const
    {
        return find(name, Hashed ? foldedNameHash(name) : 0);
    }

    // Throws AlreadyExistsException naming kind and name for a duplicate.
    void add(const Item& item, const char* kind)
    {
        Uint32 hash = Hashed ? foldedNameHash(item.getName()) : 0;
        if (find(item.getName(), hash) != PEG_NOT_FOUND)
        {
            String what(kind);
            what.append(" \"");
            what.append(item.getName().getString());
            what.append("\"");
            throw AlreadyExistsException(what);
        }
        // Instances carry dozens of properties: skip the smallest steps
        // of the vector's growth.
        if (_entries.empty())
            _entries.reserve(Hashed ? 16 : 4);
        _entries.push_back(Entry{item, hash});
        if constexpr (Hashed)
        {
            this->seen[(hash >> 6) & 3] |= Uint64(1) << (hash & 63);
            if (!this->byHash.empty())
                this->byHash.emplace(hash, Uint32(_entries.size() - 1));
            else if (_entries.size() >= kIndexedFrom)
                rebuildIndex();
        }
    }

    void remove(Uint32 index)
    {
        if (index >= _entries.size())
            throw IndexOutOfBoundsException();
        _entries.erase(_entries.begin() + index);
        // The filter only ever says "maybe": a removed name may stay marked.
        if constexpr (Hashed)
        {
            if (!this->byHash.empty())
                rebuildIndex();
        }
    }

    void reserve(size_t n) { _entries.reserve(n); }

private:
    struct Entry
    {
        Item item;
        Uint32 hash;
    };

    // False when no entry has this hash: adding an instance's properties
    // then takes no search through the ones already there.
    bool mayHold(Uint32 hash) const
    {
        if constexpr (Hashed)
            return (this->seen[(hash >> 6) & 3] >> (hash & 63)) & 1;
        else
            return true;
    }

    // Past this many entries a hashed list also keeps an index by hash: an
    // object of many thousands of properties (a hostile server's) would
    // otherwise cost a search through all of them per property added.
    static constexpr size_t kIndexedFrom = 256;

    void rebuildIndex()
    {
        this->byHash.clear();
        if (_entries.size() < kIndexedFrom)
            return;
        this->byHash.reserve(_entries.size());
        for (size_t i = 0; i < _entries.size(); i++)
            this->byHash.emplace(_entries[i].hash, Uint32(i));
    }

    Uint32 find(const CIMName& name, Uint32 hash) const
    {
        if (Hashed && !mayHold(hash))
            return PEG_NOT_FOUND;
        if constexpr (Hashed)
        {
            if (!this->byHash.empty())
            {
                Uint32 found = PEG_NOT_FOUND;
                auto [first, last] = this->byHash.equal_range(hash);
                for (auto at = first; at != last; ++at)
                {
                    // The first of equal names in list order, as the search below.
                    if (at->second < found && _entries[at->second].item.getName().equal(name))
                        found = at->second;
                }
                return found;
            }
        }
        for (size_t i = 0; i < _entries.size(); i++)
        {
            if ((!Hashed || _entries[i].hash == hash) && _entries[i].item.getName().equal(name))
                return Uint32(i);
        }
        return PEG_NOT_FOUND;
    }

    std::vector<Entry> _entries;
};

}  // namespace Internal
}  // namespace Pegasus

#endif
