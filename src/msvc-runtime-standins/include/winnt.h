// Wine's winnt.h defines InterlockedCompareExchange128 as a function named
// after clang's own builtin _InterlockedCompareExchange128; keep the builtin.
#pragma once
#define _InterlockedCompareExchange128 quillet_wine_InterlockedCompareExchange128
#include_next <winnt.h>
#undef _InterlockedCompareExchange128
#undef InterlockedCompareExchange128
#define InterlockedCompareExchange128 _InterlockedCompareExchange128
