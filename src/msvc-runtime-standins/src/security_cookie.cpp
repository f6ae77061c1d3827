// The /GS stack cookie: a per-process random value that functions with
// buffers check before they return.
#include <intrin.h>
#include <stdint.h>

extern "C" {
__declspec(dllimport) void __stdcall GetSystemTimeAsFileTime(uint64_t* time);
__declspec(dllimport) unsigned long __stdcall GetCurrentProcessId(void);
__declspec(dllimport) unsigned long __stdcall GetCurrentThreadId(void);
__declspec(dllimport) int __stdcall QueryPerformanceCounter(int64_t* counter);

// Microsoft's default value: a cookie still equal to it was never initialised.
uintptr_t __security_cookie = 0x00002B992DDFA232;
uintptr_t __security_cookie_complement = ~static_cast<uintptr_t>(0x00002B992DDFA232);

// Not protected itself: it changes the value that its own check would compare.
__declspec(safebuffers) void __cdecl __security_init_cookie(void) {
    if (__security_cookie != 0x00002B992DDFA232) {
        return;
    }
    uint64_t time = 0;
    GetSystemTimeAsFileTime(&time);
    int64_t counter = 0;
    QueryPerformanceCounter(&counter);
    uintptr_t cookie = time ^ GetCurrentProcessId() ^ (static_cast<uintptr_t>(GetCurrentThreadId()) << 32) ^
                       static_cast<uintptr_t>(counter) ^ reinterpret_cast<uintptr_t>(&time);
    cookie &= 0x0000FFFFFFFFFFFF;  // as Microsoft's: the top bytes stay zero
    if (cookie == 0x00002B992DDFA232 || cookie == 0) {
        cookie = 0x00002B992DDFA233;
    }
    __security_cookie = cookie;
    __security_cookie_complement = ~cookie;
}

void __cdecl __security_check_cookie(uintptr_t cookie) {
    if (cookie != __security_cookie) {
        __fastfail(2);  // FAST_FAIL_STACK_COOKIE_CHECK_FAILURE: the stack is not to be trusted
    }
}

// The exception handler of functions that have both a cookie and SEH
// handling; the cookie itself is checked on every normal return.
int __cdecl __GSHandlerCheck(void*, void*, void*, void*) {
    return 1;  // ExceptionContinueSearch
}
}
