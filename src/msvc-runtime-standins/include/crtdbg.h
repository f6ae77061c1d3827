// Wine's crtdbg.h, plus the report-file names of the Universal CRT's: in a
// release build (/MD) the report functions do nothing.
#pragma once
#include_next <crtdbg.h>

#ifndef _CRTDBG_FILE_STDERR
typedef void* _HFILE;
#define _CRTDBG_INVALID_HFILE ((_HFILE)(intptr_t)-1)
#define _CRTDBG_HFILE_ERROR ((_HFILE)(intptr_t)-2)
#define _CRTDBG_FILE_STDOUT ((_HFILE)(intptr_t)-4)
#define _CRTDBG_FILE_STDERR ((_HFILE)(intptr_t)-5)
#define _CRTDBG_REPORT_FILE ((_HFILE)(intptr_t)-6)
#endif
#ifndef _CrtSetReportFile
#define _CrtSetReportFile(type, file) ((_HFILE)0)
#endif
