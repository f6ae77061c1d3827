// The termination handlers of the toolset's eh.h, written from the public
// interface; ucrtbase.dll implements them.
#pragma once
#include <vcruntime.h>

#pragma pack(push, _CRT_PACKING)
extern "C" {
typedef void(__cdecl* terminate_handler)(void);
typedef void(__cdecl* terminate_function)(void);
typedef void(__cdecl* unexpected_handler)(void);
typedef void(__cdecl* unexpected_function)(void);
struct _EXCEPTION_POINTERS;
typedef void(__cdecl* _se_translator_function)(unsigned int, struct _EXCEPTION_POINTERS*);

__declspec(dllimport) __declspec(noreturn) void __cdecl terminate(void) throw();
__declspec(dllimport) terminate_handler __cdecl set_terminate(terminate_handler handler) throw();
__declspec(dllimport) terminate_handler __cdecl _get_terminate(void);
__declspec(dllimport) _se_translator_function __cdecl _set_se_translator(_se_translator_function translator);
}
#pragma pack(pop)
