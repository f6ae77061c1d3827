// Wine's math.h, plus what the Universal CRT's also declares: the long
// double functions (long double is double in Microsoft's ABI), a few float
// ones, and the classification functions as C++ overloads rather than macros.
#pragma once
#include_next <math.h>

#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP double __cdecl erfc(double x);
_ACRTIMP double __cdecl nexttoward(double x, long double y);
typedef double double_t;
typedef float float_t;
_ACRTIMP short __cdecl _dclass(double x);
_ACRTIMP short __cdecl _fdclass(float x);
_ACRTIMP int __cdecl _dsign(double x);
_ACRTIMP int __cdecl _fdsign(float x);
static __inline long double __cdecl acosl(long double x) { return acos((double)x); }
static __inline long double __cdecl asinl(long double x) { return asin((double)x); }
static __inline long double __cdecl atanl(long double x) { return atan((double)x); }
static __inline long double __cdecl cosl(long double x) { return cos((double)x); }
static __inline long double __cdecl sinl(long double x) { return sin((double)x); }
static __inline long double __cdecl tanl(long double x) { return tan((double)x); }
static __inline long double __cdecl coshl(long double x) { return cosh((double)x); }
static __inline long double __cdecl sinhl(long double x) { return sinh((double)x); }
static __inline long double __cdecl tanhl(long double x) { return tanh((double)x); }
static __inline long double __cdecl expl(long double x) { return exp((double)x); }
static __inline long double __cdecl logl(long double x) { return log((double)x); }
static __inline long double __cdecl log10l(long double x) { return log10((double)x); }
static __inline long double __cdecl sqrtl(long double x) { return sqrt((double)x); }
static __inline long double __cdecl ceill(long double x) { return ceil((double)x); }
static __inline long double __cdecl floorl(long double x) { return floor((double)x); }
static __inline long double __cdecl fabsl(long double x) { return fabs((double)x); }
_ACRTIMP long double __cdecl acoshl(long double x);
_ACRTIMP long double __cdecl asinhl(long double x);
_ACRTIMP long double __cdecl atanhl(long double x);
_ACRTIMP long double __cdecl cbrtl(long double x);
_ACRTIMP long double __cdecl erfl(long double x);
_ACRTIMP long double __cdecl erfcl(long double x);
_ACRTIMP long double __cdecl exp2l(long double x);
_ACRTIMP long double __cdecl expm1l(long double x);
_ACRTIMP long double __cdecl log1pl(long double x);
_ACRTIMP long double __cdecl log2l(long double x);
_ACRTIMP long double __cdecl logbl(long double x);
_ACRTIMP long double __cdecl nearbyintl(long double x);
_ACRTIMP long double __cdecl rintl(long double x);
_ACRTIMP long double __cdecl roundl(long double x);
_ACRTIMP long double __cdecl truncl(long double x);
_ACRTIMP long double __cdecl tgammal(long double x);
_ACRTIMP long double __cdecl lgammal(long double x);
static __inline long double __cdecl atan2l(long double x, long double y) { return atan2((double)x, (double)y); }
static __inline long double __cdecl fmodl(long double x, long double y) { return fmod((double)x, (double)y); }
static __inline long double __cdecl powl(long double x, long double y) { return pow((double)x, (double)y); }
static __inline long double __cdecl hypotl(long double x, long double y) { return hypot((double)x, (double)y); }
_ACRTIMP long double __cdecl copysignl(long double x, long double y);
_ACRTIMP long double __cdecl fdiml(long double x, long double y);
_ACRTIMP long double __cdecl fmaxl(long double x, long double y);
_ACRTIMP long double __cdecl fminl(long double x, long double y);
_ACRTIMP long double __cdecl nextafterl(long double x, long double y);
_ACRTIMP long double __cdecl nexttowardl(long double x, long double y);
_ACRTIMP long double __cdecl remainderl(long double x, long double y);
_ACRTIMP long double __cdecl remquol(long double x, long double y, int* quotient);
_ACRTIMP long double __cdecl fmal(long double x, long double y, long double z);
_ACRTIMP long double __cdecl scalblnl(long double x, long lexp);
_ACRTIMP long double __cdecl scalbnl(long double x, int exp);
_ACRTIMP int __cdecl ilogbl(long double x);
_ACRTIMP long __cdecl lrintl(long double x);
_ACRTIMP long long __cdecl llrintl(long double x);
_ACRTIMP long __cdecl lroundl(long double x);
_ACRTIMP long long __cdecl llroundl(long double x);
_ACRTIMP double __cdecl nan(const char* tag);
_ACRTIMP float __cdecl nanf(const char* tag);
_ACRTIMP long double __cdecl nanl(const char* tag);
_ACRTIMP float __cdecl erfcf(float x);
_ACRTIMP float __cdecl fmaf(float x, float y, float z);
_ACRTIMP float __cdecl nexttowardf(float x, long double y);
static __inline long double __cdecl frexpl(long double x, int* exp) { return frexp((double)x, exp); }
static __inline long double __cdecl ldexpl(long double x, int exp) { return ldexp((double)x, exp); }
static __inline long double __cdecl modfl(long double x, long double* integral) {
    double whole;
    long double fraction = modf((double)x, &whole);
    *integral = whole;
    return fraction;
}
#ifdef __cplusplus
}

#undef fpclassify
#undef signbit
#undef isinf
#undef isnan
#undef isnormal
#undef isfinite
extern "C++" {
inline int fpclassify(float x) noexcept { return _fdclass(x); }
inline int fpclassify(double x) noexcept { return _dclass(x); }
inline int fpclassify(long double x) noexcept { return _dclass(static_cast<double>(x)); }
inline bool signbit(float x) noexcept { return _fdsign(x) != 0; }
inline bool signbit(double x) noexcept { return _dsign(x) != 0; }
inline bool signbit(long double x) noexcept { return _dsign(static_cast<double>(x)) != 0; }
template <class T> bool isinf(T x) noexcept { return fpclassify(x) == FP_INFINITE; }
template <class T> bool isnan(T x) noexcept { return fpclassify(x) == FP_NAN; }
template <class T> bool isnormal(T x) noexcept { return fpclassify(x) == FP_NORMAL; }
template <class T> bool isfinite(T x) noexcept { return fpclassify(x) <= 0; }
}
#endif
