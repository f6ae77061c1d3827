// The Windows SDK's build number, which Boost.Predef reads to tell a Windows
// 10 SDK (UWP families) from older ones; Wine's headers do not have this file.
#pragma once
#define VER_PRODUCTBUILD 10011
