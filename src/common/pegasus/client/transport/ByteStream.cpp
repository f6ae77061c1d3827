#include "ByteStream.h"

namespace Pegasus {
namespace ClientDetail {

long long millisecondsLeft(Deadline deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? left.count() : 0;
}

}  // namespace ClientDetail
}  // namespace Pegasus
