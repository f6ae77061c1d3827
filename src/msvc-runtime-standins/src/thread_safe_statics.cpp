// The runtime of thread-safe function-local statics as Microsoft's compiler
// emits them: a guard per static (0 not begun, -1 in progress, else the
// epoch it finished in) and a per-thread epoch for the lock-free fast path.
#include <limits.h>

extern "C" {
struct quillet_srwlock {
    void* pointer;
};
struct quillet_condition {
    void* pointer;
};
__declspec(dllimport) void __stdcall AcquireSRWLockExclusive(quillet_srwlock* lock);
__declspec(dllimport) void __stdcall ReleaseSRWLockExclusive(quillet_srwlock* lock);
__declspec(dllimport) int __stdcall SleepConditionVariableSRW(quillet_condition* condition, quillet_srwlock* lock,
                                                              unsigned long milliseconds, unsigned long flags);
__declspec(dllimport) void __stdcall WakeAllConditionVariable(quillet_condition* condition);

int _Init_global_epoch = INT_MIN;
__declspec(thread) int _Init_thread_epoch = INT_MIN;
}

namespace {
constexpr int in_progress = -1;
constexpr unsigned long infinite = 0xFFFFFFFF;
quillet_srwlock statics_lock = {nullptr};
quillet_condition statics_done = {nullptr};
} // namespace

extern "C" void __cdecl _Init_thread_header(int* guard) {
    AcquireSRWLockExclusive(&statics_lock);
    if (*guard == 0) {
        *guard = in_progress;
    } else {
        while (*guard == in_progress) {
            SleepConditionVariableSRW(&statics_done, &statics_lock, infinite, 0);
        }
        _Init_thread_epoch = _Init_global_epoch;
    }
    ReleaseSRWLockExclusive(&statics_lock);
}

extern "C" void __cdecl _Init_thread_footer(int* guard) {
    AcquireSRWLockExclusive(&statics_lock);
    ++_Init_global_epoch;
    *guard = _Init_global_epoch;
    _Init_thread_epoch = _Init_global_epoch;
    ReleaseSRWLockExclusive(&statics_lock);
    WakeAllConditionVariable(&statics_done);
}

extern "C" void __cdecl _Init_thread_abort(int* guard) {
    AcquireSRWLockExclusive(&statics_lock);
    *guard = 0;
    ReleaseSRWLockExclusive(&statics_lock);
    WakeAllConditionVariable(&statics_done);
}
