// Wide-character declarations in place of Wine's wchar.h, whose mbstate_t is
// 4 bytes: the Universal CRT's is 8, and std::mbstate_t sits inside
// std::fpos and the stream buffers, whose layout the host shares.
#pragma once
#define __WINE_WCHAR_H

#include <corecrt_wctype.h>
#include <corecrt_wdirect.h>
#include <corecrt_wio.h>
#include <corecrt_wprocess.h>
#include <corecrt_wstdio.h>
#include <corecrt_wstdlib.h>
#include <corecrt_wstring.h>
#include <corecrt_wtime.h>
#include <sys/stat.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef WCHAR_MIN
#define WCHAR_MIN 0U
#define WCHAR_MAX 0xffffU
#endif

typedef _Mbstatet mbstate_t;

_ACRTIMP wint_t __cdecl btowc(int c);
_ACRTIMP size_t __cdecl mbrlen(const char* s, size_t n, mbstate_t* state);
_ACRTIMP size_t __cdecl mbrtowc(wchar_t* out, const char* s, size_t n, mbstate_t* state);
_ACRTIMP size_t __cdecl mbsrtowcs(wchar_t* out, const char** s, size_t n, mbstate_t* state);
_ACRTIMP size_t __cdecl wcrtomb(char* out, wchar_t c, mbstate_t* state);
_ACRTIMP size_t __cdecl wcsrtombs(char* out, const wchar_t** s, size_t n, mbstate_t* state);
_ACRTIMP int __cdecl wctob(wint_t c);
_ACRTIMP errno_t __cdecl wmemcpy_s(wchar_t* dst, size_t size, const wchar_t* src, size_t count);
_ACRTIMP errno_t __cdecl wmemmove_s(wchar_t* dst, size_t size, const wchar_t* src, size_t count);
_ACRTIMP long double __cdecl wcstold(const wchar_t* s, wchar_t** end);
_ACRTIMP int __cdecl vswscanf(const wchar_t* s, const wchar_t* format, va_list args);
_ACRTIMP int __cdecl vfwscanf(FILE* file, const wchar_t* format, va_list args);
_ACRTIMP int __cdecl vwscanf(const wchar_t* format, va_list args);

static __inline int __cdecl mbsinit(const mbstate_t* state) {
    return state == 0 || state->_Wchar == 0;
}
static __inline int __cdecl fwide(FILE* file, int mode) {
    (void)file;
    return mode;
}

static __inline const wchar_t* __cdecl quillet_wmemchr(const wchar_t* s, wchar_t c, size_t n) {
    for (const wchar_t* end = s + n; s != end; ++s) {
        if (*s == c) {
            return s;
        }
    }
    return 0;
}
#ifdef __cplusplus
}
extern "C++" inline const wchar_t* __cdecl wmemchr(const wchar_t* s, wchar_t c, size_t n) {
    return quillet_wmemchr(s, c, n);
}
extern "C++" inline wchar_t* __cdecl wmemchr(wchar_t* s, wchar_t c, size_t n) {
    return const_cast<wchar_t*>(quillet_wmemchr(s, c, n));
}
extern "C" {
#else
#define wmemchr(s, c, n) ((wchar_t*)quillet_wmemchr(s, c, n))
#endif
static __inline int __cdecl wmemcmp(const wchar_t* a, const wchar_t* b, size_t n) {
    for (size_t i = 0; i != n; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}
static __inline wchar_t* __cdecl wmemcpy(wchar_t* dst, const wchar_t* src, size_t n) {
    return (wchar_t*)memcpy(dst, src, n * sizeof(wchar_t));
}
static __inline wchar_t* __cdecl wmemmove(wchar_t* dst, const wchar_t* src, size_t n) {
    return (wchar_t*)memmove(dst, src, n * sizeof(wchar_t));
}
static __inline wchar_t* __cdecl wmemset(wchar_t* s, wchar_t c, size_t n) {
    for (size_t i = 0; i != n; ++i) {
        s[i] = c;
    }
    return s;
}
#ifdef __cplusplus
}
#endif
