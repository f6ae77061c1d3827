// Wine's stdio.h, plus the Universal CRT's functions that it lacks.
#pragma once
#include_next <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP int __cdecl __stdio_common_vfscanf(unsigned __int64 options, FILE* file, const char* format,
                                            _locale_t locale, va_list args);
static __inline int __cdecl vfscanf(FILE* file, const char* format, va_list args) {
    return __stdio_common_vfscanf(0, file, format, 0, args);
}
static __inline int __cdecl vscanf(const char* format, va_list args) {
    return vfscanf(stdin, format, args);
}
static __inline int __cdecl vsscanf(const char* buffer, const char* format, va_list args) {
    return __stdio_common_vsscanf(0, buffer, (size_t)-1, format, 0, args);
}
_ACRTIMP errno_t __cdecl _get_stream_buffer_pointers(FILE* file, char*** base, char*** next, int** count);
#ifdef __cplusplus
}
#endif
