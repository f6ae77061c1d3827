#include "parallel_jobs.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace Quillet::Cli {

void RunInParallel(size_t count, unsigned int jobs, const std::function<void(size_t index)>& task)
{
    std::atomic<size_t> next{0};
    auto worker = [&]() {
        for (size_t i = next++; i < count; i = next++) {
            task(i);
        }
    };
    std::vector<std::thread> workers;
    const size_t parallel = std::min<size_t>(std::max(jobs, 1u), count);
    for (size_t i = 0; i < parallel; ++i) {
        workers.emplace_back(worker);
    }
    for (std::thread& thread : workers) {
        thread.join();
    }
}

}  // namespace Quillet::Cli
