#include "failing_allocation.h"

#include <cstdlib>
#include <new>

namespace {

thread_local long t_allocationsBeforeFailure = -1;

}  // namespace

namespace QuilletTest {

void FailAllocationAfter(long count)
{
    t_allocationsBeforeFailure = count;
}

}  // namespace QuilletTest

void* operator new(std::size_t size)
{
    if (t_allocationsBeforeFailure == 0) {
        t_allocationsBeforeFailure = -1;
        throw std::bad_alloc();
    }
    if (t_allocationsBeforeFailure > 0) {
        --t_allocationsBeforeFailure;
    }
    if (void* block = std::malloc(size != 0 ? size : 1)) {
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
