#include "DecodeCache.h"

#include <cstdint>

namespace Pegasus {
namespace ClientDetail {

void DecodeCache::valueKey(CIMType type, bool isArray, const std::vector<std::string_view>& texts)
{
    // Type, array flag, then each text behind its length: no two different
    // lists of texts give the same key.
    _key.clear();
    _key.push_back(static_cast<char>(type));
    _key.push_back(isArray ? 'a' : 's');
    for (std::string_view text : texts)
    {
        std::uint32_t size = static_cast<std::uint32_t>(text.size());
        _key.append(reinterpret_cast<const char*>(&size), sizeof size);
        _key.append(text);
    }
}

}  // namespace ClientDetail
}  // namespace Pegasus
