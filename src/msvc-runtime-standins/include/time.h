// Wine's time.h, plus what the Universal CRT's also declares.
#pragma once
#include_next <time.h>

#ifdef __cplusplus
extern "C" {
#endif
#ifndef _CRT_TIMESPEC_DEFINED
#define _CRT_TIMESPEC_DEFINED
struct timespec {
    time_t tv_sec;
    long tv_nsec;
};
#endif
#ifndef _CRT_TIMESPEC64_DEFINED
#define _CRT_TIMESPEC64_DEFINED
struct _timespec64 {
    __time64_t tv_sec;
    long tv_nsec;
};
#endif
#ifndef TIME_UTC
#define TIME_UTC 1
#endif
_ACRTIMP int __cdecl _timespec64_get(struct timespec* now, int base);
static __inline int __cdecl timespec_get(struct timespec* now, int base) {
    return _timespec64_get(now, base);
}
_ACRTIMP errno_t __cdecl _localtime64_s(struct tm* out, const __time64_t* time);
_ACRTIMP errno_t __cdecl _gmtime64_s(struct tm* out, const __time64_t* time);
static __inline errno_t __cdecl localtime_s(struct tm* out, const time_t* time) {
    return _localtime64_s(out, time);
}
static __inline errno_t __cdecl gmtime_s(struct tm* out, const time_t* time) {
    return _gmtime64_s(out, time);
}
#ifdef __cplusplus
}
#endif
