// Wine's stdlib.h, plus what the Universal CRT's also declares.
#pragma once
#include_next <stdlib.h>
#include <errno.h>

#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP __declspec(noreturn) void __cdecl _invoke_watson(const wchar_t* expression, const wchar_t* function,
                                                          const wchar_t* file, unsigned int line,
                                                          uintptr_t reserved);
_ACRTIMP __declspec(noreturn) void __cdecl quick_exit(int status);
int __cdecl at_quick_exit(void(__cdecl* function)(void));
_ACRTIMP unsigned int __cdecl _set_abort_behavior(unsigned int flags, unsigned int mask);
#ifdef __cplusplus
}
extern "C++" {
inline long __cdecl abs(long value) noexcept {
    return labs(value);
}
inline long long __cdecl abs(long long value) noexcept {
    return llabs(value);
}
}
#endif
