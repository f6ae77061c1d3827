#pragma once
#include <cstddef>
#include <functional>

namespace Quillet::Cli {

// Calls task(0) to task(count - 1), at most `jobs` at a time, each on a
// worker thread; returns when all are done. Tasks must not throw.
void RunInParallel(size_t count, unsigned int jobs, const std::function<void(size_t index)>& task);

}  // namespace Quillet::Cli
