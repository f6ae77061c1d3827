// Wine's windef.h defines the keyword inline as a macro for old C compilers;
// C++ (and Microsoft's STL, which checks) wants the keyword itself.
#pragma once
#include_next <windef.h>
#ifdef __cplusplus
#undef inline
#endif
