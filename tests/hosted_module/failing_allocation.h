#pragma once
// This program's operator new, able to fail on request.

namespace QuilletTest {

// The allocation (operator new) of this thread after `count` more succeed
// throws std::bad_alloc, once; -1: none fails.
void FailAllocationAfter(long count);

}  // namespace QuilletTest
