// Wine's excpt.h, plus the intrinsics of structured exception filters that
// Microsoft's excpt.h declares (Wine's only with USE_COMPILER_EXCEPTIONS).
#pragma once
#include_next <excpt.h>

#ifndef GetExceptionCode
#ifdef __cplusplus
extern "C" {
#endif
unsigned long __cdecl _exception_code(void);
void* __cdecl _exception_info(void);
int __cdecl _abnormal_termination(void);
#ifdef __cplusplus
}
#endif
#define GetExceptionCode _exception_code
#define GetExceptionInformation() ((struct _EXCEPTION_POINTERS*)_exception_info())
#define AbnormalTermination _abnormal_termination
#endif
