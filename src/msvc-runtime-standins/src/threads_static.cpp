// The thread functions that the STL's headers expect from the static
// library: sleeping, shared mutexes over SRW locks, and the relative timed
// wait of condition variables, carried out by msvcp140.dll's absolute one.
#include <xthreads.h>
#include <xtimec.h>

#include <windows.h>

extern "C" {
__declspec(dllimport) _Thrd_result __cdecl _Cnd_timedwait(_Cnd_t condition, _Mtx_t mutex,
                                                          const _timespec64* until) noexcept;

void __stdcall _Thrd_sleep_for(unsigned long milliseconds) noexcept {
    Sleep(milliseconds);
}

void __cdecl _Smtx_lock_exclusive(_Smtx_t* lock) noexcept {
    AcquireSRWLockExclusive(reinterpret_cast<PSRWLOCK>(lock));
}
void __cdecl _Smtx_lock_shared(_Smtx_t* lock) noexcept {
    AcquireSRWLockShared(reinterpret_cast<PSRWLOCK>(lock));
}
int __cdecl _Smtx_try_lock_exclusive(_Smtx_t* lock) noexcept {
    return TryAcquireSRWLockExclusive(reinterpret_cast<PSRWLOCK>(lock));
}
int __cdecl _Smtx_try_lock_shared(_Smtx_t* lock) noexcept {
    return TryAcquireSRWLockShared(reinterpret_cast<PSRWLOCK>(lock));
}
void __cdecl _Smtx_unlock_exclusive(_Smtx_t* lock) noexcept {
    ReleaseSRWLockExclusive(reinterpret_cast<PSRWLOCK>(lock));
}
void __cdecl _Smtx_unlock_shared(_Smtx_t* lock) noexcept {
    ReleaseSRWLockShared(reinterpret_cast<PSRWLOCK>(lock));
}

_Thrd_result __stdcall _Cnd_timedwait_for_unchecked(_Cnd_t condition, _Mtx_t mutex,
                                                    unsigned int milliseconds) noexcept {
    // _Xtime_get_ticks counts 100 ns since 1970.
    constexpr long long ticks_per_second = 10'000'000;
    const long long until = _Xtime_get_ticks() + static_cast<long long>(milliseconds) * 10'000;
    const _timespec64 deadline = {until / ticks_per_second, static_cast<long>(until % ticks_per_second) * 100};
    return _Cnd_timedwait(condition, mutex, &deadline);
}
}
