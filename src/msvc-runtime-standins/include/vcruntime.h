// Compiler-support declarations that Microsoft's STL expects from the
// toolset's vcruntime.h, written from its public interface. Only for the
// clang-cl cross build; Microsoft's toolset brings its own.
#pragma once
#define _VCRUNTIME_H

#include <corecrt.h>
#include <stdarg.h>
#include <stddef.h>

// The language level the STL's headers select their features by.
#ifndef _HAS_CXX17
#if _MSVC_LANG > 201402L
#define _HAS_CXX17 1
#else
#define _HAS_CXX17 0
#endif
#endif
#ifndef _HAS_CXX20
#if _HAS_CXX17 && _MSVC_LANG > 201703L
#define _HAS_CXX20 1
#else
#define _HAS_CXX20 0
#endif
#endif
#ifndef _HAS_CXX23
#if _HAS_CXX20 && _MSVC_LANG > 202002L
#define _HAS_CXX23 1
#else
#define _HAS_CXX23 0
#endif
#endif

// Code-analysis annotations that Wine's sal.h does not define; they mean
// nothing to the compiler.
#define _Analysis_assume_(expression)
#define _Check_return_opt_
#define _Field_z_
#define _Guarded_by_(lock)
#define _Pre_satisfies_(condition)

#define _CRT_PACKING 8
#define _HAS_NODISCARD 1
#define _NODISCARD [[nodiscard]]
#define __CRTDECL __cdecl
#define _VCRTIMP __declspec(dllimport)
#define _CRTIMP2 __declspec(dllimport)
#define _MRTIMP2 __declspec(dllimport)
// Parts of the C++ runtime that Microsoft ships in satellite DLLs
// (msvcp140_1.dll, msvcp140_2.dll, msvcp140_codecvt_ids.dll).
#define _CRT_SATELLITE_1 __declspec(dllimport)
#define _CRT_SATELLITE_2 __declspec(dllimport)
#define _CRT_SATELLITE_CODECVT_IDS __declspec(dllimport)
#define _CRT_SATELLITE_CODECVT_IDS_NOIMPORT
#define __CLR_OR_THIS_CALL
#define __CLRCALL_OR_CDECL __cdecl
#define __CLRCALL_PURE_OR_CDECL __cdecl
#define __CLRCALL_PURE_OR_STDCALL __stdcall
#define _VCRT_NOALIAS __declspec(noalias)
#define _VCRT_RESTRICT __declspec(restrict)
#define _VCRT_ALLOCATOR __declspec(allocator)
#define _CRT_GUARDOVERFLOW
#define _CRT_HYBRIDPATCHABLE
#define _CRTRESTRICT
#define _CRT_JIT_INTRINSIC
#define _VCRT_ALIGN(x) __declspec(align(x))
#define _CRT_STRINGIZE_(x) #x
#define _CRT_STRINGIZE(x) _CRT_STRINGIZE_(x)
#define _CRT_WIDE_(s) L##s
#define _CRT_WIDE(s) _CRT_WIDE_(s)
#define _CRT_CONCATENATE_(a, b) a##b
#define _CRT_CONCATENATE(a, b) _CRT_CONCATENATE_(a, b)
#define _CRT_UNPARENTHESIZE_(...) __VA_ARGS__
#define _CRT_UNPARENTHESIZE(...) _CRT_UNPARENTHESIZE_ __VA_ARGS__
#ifndef _HAS_EXCEPTIONS
#define _HAS_EXCEPTIONS 1
#endif
#ifndef _CRT_BEGIN_C_HEADER
#define _CRT_BEGIN_C_HEADER extern "C++" {} extern "C" {
#define _CRT_END_C_HEADER }
#endif
#define _VCRUNTIME_DISABLED_WARNINGS
#define _VCRT_EXPORT_STD
#define _PGLOBAL
#define _CRT_SECURE_CPP_NOTHROW throw()
#define _CRT_DEPRECATE_TEXT(text) __declspec(deprecated(text))

#ifdef __cplusplus
extern "C" {
#endif
extern unsigned __int64 __security_cookie;
void __cdecl __security_init_cookie(void);
void __cdecl __security_check_cookie(unsigned __int64 cookie);
#ifdef __cplusplus
}
typedef bool __vcrt_bool;
#endif
