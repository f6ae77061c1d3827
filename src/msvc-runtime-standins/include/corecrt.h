// Wine's corecrt.h, plus what the Universal CRT's also declares: the
// 8-byte conversion state (_Mbstatet) that the STL's headers use.
#pragma once
#include_next <corecrt.h>

#ifndef _MBSTATET_DEFINED
#define _MBSTATET_DEFINED
typedef struct _Mbstatet {
    unsigned long _Wchar;
    unsigned short _Byte;
    unsigned short _State;
} _Mbstatet;
#endif

// Interfaces' GUIDs (__uuidof(IXmlReader)) are defined in every object that
// names them, as Microsoft's headers do.
#ifndef __WINE_UUID_ATTR
#define __WINE_UUID_ATTR __declspec(selectany)
#endif
