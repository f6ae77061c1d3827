// The ordered lists of qualifiers and properties held by objects and
// properties: lookup by name without regard to case, with a folded-name
// hash per entry so that most candidates are rejected by one comparison.
#ifndef Pegasus_Common_Internal_NamedList_h
#define Pegasus_Common_Internal_NamedList_h

#include <vector>

#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/Exception.h>

#include "CaseFolding.h"

namespace Pegasus {
namespace Internal {

inline Uint32 foldedNameHash(const CIMName& name)
{
    const String& text = name.getString();
    const Uint16* units = reinterpret_cast<const Uint16*>(text.getChar16Data());
    Uint32 hash = 2166136261u;
    for (Uint32 i = 0, n = text.size(); i < n; i++)
        hash = (hash ^ toLowerUnit(units[i])) * 16777619u;
    return hash;
}

// Item is a handle class with getName(). With Hashed, entries keep the
// hash of the name the item had when added, so items must not be renamed
// while listed (CIMProperty refuses that, as in OpenPegasus); qualifiers,
// which may be renamed in place, use the plain search.
template<class Item, bool Hashed>
class NamedList
{
public:
    Uint32 size() const { return Uint32(_items.size()); }

    const Item& at(Uint32 index) const
    {
        if (index >= _items.size())
            throw IndexOutOfBoundsException();
        return _items[index];
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
        _items.push_back(item);
        if (Hashed)
            _hashes.push_back(hash);
    }

    void remove(Uint32 index)
    {
        if (index >= _items.size())
            throw IndexOutOfBoundsException();
        _items.erase(_items.begin() + index);
        if (Hashed)
            _hashes.erase(_hashes.begin() + index);
    }

    void reserve(size_t n)
    {
        _items.reserve(n);
        if (Hashed)
            _hashes.reserve(n);
    }

private:
    Uint32 find(const CIMName& name, Uint32 hash) const
    {
        for (size_t i = 0; i < _items.size(); i++)
        {
            if ((!Hashed || _hashes[i] == hash) && _items[i].getName().equal(name))
                return Uint32(i);
        }
        return PEG_NOT_FOUND;
    }

    std::vector<Item> _items;
    std::vector<Uint32> _hashes;
};

}  // namespace Internal
}  // namespace Pegasus

#endif
