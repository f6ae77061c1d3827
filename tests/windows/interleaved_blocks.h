#pragma once
// The output the interleaving child writes, shared with the test that checks it.
#include <string>

namespace QuilletWindowsTests {

// Block `index` of the interleaved output: `size` copies of one letter, the
// letter changing from block to block so that order and loss both show.
inline std::string InterleavedBlock(int index, int size)
{
    return std::string(static_cast<std::string::size_type>(size), static_cast<char>('a' + index % 26));
}

}  // namespace QuilletWindowsTests
