#ifndef Pegasus_Client_Codec_DecodeCache_h
#define Pegasus_Client_Codec_DecodeCache_h

#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMValue.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Pegasus {
namespace ClientDetail {

// Hash of the texts the memos below are keyed by, some of them whole
// elements of hundreds of bytes: eight bytes at a step, several times
// quicker than the standard library's byte-wise hash.
struct TextHash
{
    std::size_t operator()(std::string_view text) const
    {
        constexpr std::uint64_t kMultiplier = 0xff51afd7ed558ccdULL;
        std::uint64_t hash = 0x9e3779b97f4a7c15ULL ^ text.size();
        const char* at = text.data();
        std::size_t left = text.size();
        for (; left >= 8; at += 8, left -= 8)
        {
            std::uint64_t word;
            std::memcpy(&word, at, 8);
            hash = (hash ^ word) * kMultiplier;
            hash ^= hash >> 29;
        }
        if (left > 0)
        {
            std::uint64_t word = 0;
            std::memcpy(&word, at, left);
            hash = (hash ^ word) * kMultiplier;
        }
        hash ^= hash >> 32;
        return static_cast<std::size_t>(hash);
    }
};

// Memo of one response's decoding. A CIM-XML response repeats the same
// property and qualifier names on every instance and the same ValueMap and
// Values arrays on every property of a class; each distinct text is decoded
// once and the result shared, since names and values share their storage
// between copies (and values copy on write). Besides the CPU, this keeps
// the decoded objects close to the size of their distinct texts.
// Real responses hold a few hundred distinct texts at most; past
// kMaxEntries of a kind, texts are decoded each time and not kept, so that
// a body of endless distinct names costs no memory here.
class DecodeCache
{
public:
    static constexpr std::size_t kMaxEntries = 4096;

    // The name spelled `text`; `make(text)` builds it the first time.
    template <typename Make>
    const CIMName& name(std::string_view text, Make make)
    {
        auto found = _names.find(text);
        if (found != _names.end())
            return found->second;
        if (_names.size() >= kMaxEntries)
            return _uncachedName = make(text);
        CIMName made = make(text);
        // The map's keys view texts kept here, at addresses that do not move.
        const std::string& kept = _nameTexts.emplace_back(text);
        return _names.emplace(std::string_view(kept), std::move(made)).first->second;
    }

    // The value of `type` given by the VALUE texts (one for a scalar);
    // `make()` parses it the first time.
    template <typename Make>
    const CIMValue& value(CIMType type, bool isArray, const std::vector<std::string_view>& texts,
                          Make make)
    {
        valueKey(type, isArray, texts);
        auto found = _values.find(_key);
        if (found != _values.end())
            return found->second;
        if (_values.size() >= kMaxEntries)
            return _uncachedValue = make();
        return _values.emplace(_key, make()).first->second;
    }

    template <typename Make>
    const CIMValue& scalar(CIMType type, std::string_view text, Make make)
    {
        _texts.assign(1, text);
        return value(type, false, _texts, make);
    }

    // What a QUALIFIER element gave, under the bytes it was written with.
    struct QualifierParts
    {
        CIMName name;
        CIMValue value;
        CIMFlavor flavor;
        bool propagated = false;
    };
    const QualifierParts* findQualifier(std::string_view written) const
    {
        auto found = _qualifiers.find(written);
        return found == _qualifiers.end() ? nullptr : &found->second;
    }
    void addQualifier(std::string_view written, QualifierParts parts)
    {
        if (_qualifiers.size() >= kMaxEntries)
            return;
        // The map's keys view texts kept here, at addresses that do not move.
        const std::string& kept = _qualifierTexts.emplace_back(written);
        _qualifiers.emplace(std::string_view(kept), std::move(parts));
    }

    // A list for the texts of one VALUE.ARRAY, reused from array to array.
    std::vector<std::string_view>& arrayTexts()
    {
        _arrayTexts.clear();
        return _arrayTexts;
    }

private:
    void valueKey(CIMType type, bool isArray, const std::vector<std::string_view>& texts);

    std::string _key;  // reused so that a hit allocates nothing
    std::vector<std::string_view> _texts;
    std::vector<std::string_view> _arrayTexts;
    std::deque<std::string> _nameTexts;
    std::unordered_map<std::string_view, CIMName, TextHash> _names;
    CIMName _uncachedName;    // the last name decoded past kMaxEntries
    CIMValue _uncachedValue;  // likewise for values
    std::unordered_map<std::string, CIMValue> _values;
    std::deque<std::string> _qualifierTexts;
    std::unordered_map<std::string_view, QualifierParts, TextHash> _qualifiers;
};

}  // namespace ClientDetail
}  // namespace Pegasus

#endif
