// Microsoft's file systems ignore case; sources that name <Windows.h> find Wine's windows.h.
#pragma once
#include <windows.h>
