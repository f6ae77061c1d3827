# Cross build of the Windows x86-64 DLL with Microsoft's C++ ABI, the one of
# frameworks built with Microsoft's compiler:
#   cmake -S . -B build-msvc -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-clang-cl.cmake
# clang-cl (Debian's clang-19) compiles against Microsoft's STL headers
# (QUILLET_MSVC_STL_DIR) and Wine's C runtime and Windows headers; lld-link
# links against import libraries made from Wine's DLLs and the stand-ins of
# src/msvc-runtime-standins for the static part of Microsoft's runtime.
# A build with Microsoft's own toolset needs none of this file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

get_filename_component(quillet_source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
get_filename_component(quillet_default_stl_dir "${quillet_source_dir}/../shared/msvc-stl" ABSOLUTE)
set(QUILLET_MSVC_STL_DIR "${quillet_default_stl_dir}" CACHE PATH
    "Microsoft's STL (folders inc and src of github.com/microsoft/STL at tag vs-2022-17.14)")
set(QUILLET_WINE_INCLUDE_DIR /usr/include/wine/wine CACHE PATH "Wine's C runtime and Windows headers (libwine-dev)")
set(QUILLET_WINE_DLL_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH
    "Wine's PE DLLs whose export tables give the import libraries (wine64)")
set(QUILLET_MSVC_RUNTIME_STANDINS_DIR "${quillet_source_dir}/src/msvc-runtime-standins")
# try_compile projects read this file again: hand them the same choices.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUILLET_MSVC_STL_DIR QUILLET_WINE_INCLUDE_DIR QUILLET_WINE_DLL_DIR)

set(quillet_missing "")
foreach(tool clang-19 lld-link-19 llvm-lib-19 llvm-dlltool-19 llvm-readobj-19)
  string(REPLACE "-" "_" tool_variable "QUILLET_${tool}")
  string(TOUPPER "${tool_variable}" tool_variable)
  find_program(${tool_variable} ${tool})
  if(NOT ${tool_variable})
    string(APPEND quillet_missing "\n  ${tool}: install clang-19, lld-19 and llvm-19 (scripts/install-deps.sh with QUILLET_WITH_WINDOWS=1)")
  endif()
endforeach()
if(NOT EXISTS "${QUILLET_MSVC_STL_DIR}/inc/yvals_core.h")
  string(APPEND quillet_missing "\n  Microsoft's STL headers: no inc/yvals_core.h in QUILLET_MSVC_STL_DIR=${QUILLET_MSVC_STL_DIR};"
         " put the folders stl/inc and stl/src of https://github.com/microsoft/STL (tag vs-2022-17.14) there"
         " as inc/ and src/, or point QUILLET_MSVC_STL_DIR at such a copy")
endif()
if(NOT EXISTS "${QUILLET_WINE_INCLUDE_DIR}/msvcrt/stdlib.h")
  string(APPEND quillet_missing "\n  Wine's headers: no msvcrt/stdlib.h in ${QUILLET_WINE_INCLUDE_DIR}; install libwine-dev")
endif()
if(NOT EXISTS "${QUILLET_WINE_DLL_DIR}/ucrtbase.dll")
  string(APPEND quillet_missing "\n  Wine's DLLs: no ucrtbase.dll in ${QUILLET_WINE_DLL_DIR}; install wine and wine64")
endif()
if(quillet_missing)
  message(FATAL_ERROR "The clang-cl (Microsoft ABI) build cannot be configured:${quillet_missing}")
endif()

# CMake recognises clang's MSVC-compatible driver by its name.
set(quillet_driver_dir "${CMAKE_BINARY_DIR}/clang-cl-driver")
if(NOT EXISTS "${quillet_driver_dir}/clang-cl")
  file(MAKE_DIRECTORY "${quillet_driver_dir}")
  file(CREATE_LINK "${QUILLET_CLANG_19}" "${quillet_driver_dir}/clang-cl" SYMBOLIC)
endif()
set(CMAKE_C_COMPILER "${quillet_driver_dir}/clang-cl")
set(CMAKE_CXX_COMPILER "${quillet_driver_dir}/clang-cl")
set(CMAKE_LINKER "${QUILLET_LLD_LINK_19}")
set(CMAKE_AR "${QUILLET_LLVM_LIB_19}")
# The project calls dlltool with GNU options.
set(CMAKE_DLLTOOL "${QUILLET_MSVC_RUNTIME_STANDINS_DIR}/gnu-dlltool-options.sh")
# No manifest tool here, and the programs need no manifest.
set(quillet_no_manifest "/MANIFEST:NO")
set(CMAKE_C_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET x86_64-pc-windows-msvc)

# Headers, all as system headers so that /W4 /WX judges only our own code:
# the stand-ins first (they replace a few of Wine's), then Microsoft's STL, then Wine's.
# WINE_UNICODE_NATIVE: WCHAR is wchar_t as on Windows. NOMINMAX: windef.h's
# min/max macros would break std::min. The STL's vectorised algorithms live in
# a source that clang-cl does not compile.
set(quillet_compile_flags
  "-fms-compatibility-version=19.44 /X"
  "-imsvc \"${QUILLET_MSVC_RUNTIME_STANDINS_DIR}/include\""
  "-imsvc \"${QUILLET_MSVC_STL_DIR}/inc\""
  "-imsvc \"${QUILLET_WINE_INCLUDE_DIR}/msvcrt\""
  "-imsvc \"${QUILLET_WINE_INCLUDE_DIR}/windows\""
  "-DWINE_UNICODE_NATIVE -DNOMINMAX -D_USE_STD_VECTOR_ALGORITHMS=0")
string(JOIN " " quillet_compile_flags ${quillet_compile_flags})
set(CMAKE_C_FLAGS_INIT "${quillet_compile_flags}")
set(CMAKE_CXX_FLAGS_INIT "${quillet_compile_flags}")

# Release runtime only (/MD): a /MDd host lays out std::string differently.
set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreadedDLL)
# The stand-ins are linked explicitly (see msvc-runtime-standins.cmake), so
# the libraries that objects name by /DEFAULTLIB are not looked for.
set(CMAKE_EXE_LINKER_FLAGS_INIT "/nodefaultlib /entry:mainCRTStartup ${quillet_no_manifest}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "/nodefaultlib /entry:_DllMainCRTStartup ${quillet_no_manifest}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "/nodefaultlib /entry:_DllMainCRTStartup ${quillet_no_manifest}")
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "Linked through the runtime stand-ins instead")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "Linked through the runtime stand-ins instead")

# Nothing links before the runtime stand-ins are built.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# Threads are Windows' own. Checks that only compile would find POSIX threads
# in a "pthreads" library (and GoogleTest would then look for pthread.h).
foreach(check CMAKE_HAVE_LIBC_PTHREAD CMAKE_HAVE_PTHREADS_CREATE CMAKE_HAVE_PTHREAD_CREATE THREADS_HAVE_PTHREAD_ARG)
  set(${check} FALSE CACHE INTERNAL "Windows threads, not POSIX ones")
endforeach()
set(CMAKE_PROJECT_INCLUDE "${QUILLET_MSVC_RUNTIME_STANDINS_DIR}/msvc-runtime-standins.cmake")

# Tests run under Wine, as in the MinGW build.
set(QUILLET_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix the cross-built tests run in")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEPREFIX=${QUILLET_WINEPREFIX} WINEDEBUG=-all wine)
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
