#!/usr/bin/env bash
# Cross-builds the Windows x86-64 DLL and its tests with MinGW-w64 and runs
# them under Wine through CTest:
#   scripts/windows-tests.sh [BUILD_DIR] [extra cmake args...]
# Needs g++-mingw-w64-x86-64, wine and wine64 (scripts/install-deps.sh with
# QUILLET_WITH_WINDOWS=1). Tests that talk to the simulated CIM server use the
# native mlnx-cimsim from QUILLET_NATIVE_BUILD (default: build/).
# Then the same with Microsoft's C++ ABI (cmake/toolchain-clang-cl.cmake) in
# BUILD_DIR-msvc (QUILLET_MSVC_BUILD); skipped, saying why, without Microsoft's
# STL (QUILLET_MSVC_STL_DIR, default ../shared/msvc-stl) or clang-19/lld-19/llvm-19.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${1:-$root/build-win}"
shift || true
build_dir="$(realpath -m "$build_dir")"  # Wine wants an absolute prefix
native_build="${QUILLET_NATIVE_BUILD:-$root/build}"

# The DLL's tests talk to the Linux simulator (a native program).
if [[ ! -x "$native_build/bin/mlnx-cimsim" ]]; then
  if [[ ! -f "$native_build/CMakeCache.txt" ]]; then
    cmake -S "$root" -B "$native_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$native_build" -j"$(nproc)" --target mlnx-cimsim
fi

cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
  -DQUILLET_NATIVE_BUILD="$native_build" "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

# One Wine prefix per build tree. A persistent wineserver and a finished
# wineboot before CTest starts: otherwise every test pays for Wine's start-up,
# and a server started by the first test would hold CTest's output pipes.
export WINEPREFIX="$build_dir/wineprefix" WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
wineserver -k >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1 </dev/null
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
# No Mono or Gecko: nothing here needs them, and their installers would ask.
WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot --init >"$build_dir/wineboot.log" 2>&1 </dev/null

cd "$build_dir"
mingw_status=0
ctest --output-on-failure -j"$(nproc)" --timeout 300 || mingw_status=$?

# The same suite with Microsoft's C++ ABI, the DLL that frameworks built with
# Microsoft's compiler load: clang-cl, Microsoft's STL and the runtime
# stand-ins of src/msvc-runtime-standins, in the same Wine prefix.
msvc_stl_dir="${QUILLET_MSVC_STL_DIR:-$root/../shared/msvc-stl}"
msvc_build_dir="${QUILLET_MSVC_BUILD:-$build_dir-msvc}"
msvc_missing=""
if [[ ! -f "$msvc_stl_dir/inc/yvals_core.h" ]]; then
  msvc_missing="no Microsoft STL in $msvc_stl_dir (the folders stl/inc and stl/src of https://github.com/microsoft/STL at tag vs-2022-17.14, as inc/ and src/; QUILLET_MSVC_STL_DIR chooses another place)"
fi
for tool in clang-19 lld-link-19 llvm-lib-19 llvm-dlltool-19 llvm-readobj-19; do
  if ! command -v "$tool" >/dev/null; then
    msvc_missing="${msvc_missing:+$msvc_missing; }no $tool (install clang-19, lld-19 and llvm-19: scripts/install-deps.sh with QUILLET_WITH_WINDOWS=1)"
  fi
done
if [[ -n "$msvc_missing" ]]; then
  echo "SKIPPED: the Microsoft-ABI (clang-cl) Windows stage: $msvc_missing"
  exit "$mingw_status"
fi
cmake -S "$root" -B "$msvc_build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-clang-cl.cmake" -DQUILLET_MSVC_STL_DIR="$msvc_stl_dir" \
  -DQUILLET_WINEPREFIX="$WINEPREFIX" -DQUILLET_NATIVE_BUILD="$native_build" >/dev/null
cmake --build "$msvc_build_dir" -j"$(nproc)"
cd "$msvc_build_dir"
msvc_status=0
ctest --output-on-failure -j"$(nproc)" --timeout 300 || msvc_status=$?
if [[ "$mingw_status" -ne 0 ]]; then
  echo "The MinGW Windows stage failed (ctest status $mingw_status)" >&2
  exit "$mingw_status"
fi
exit "$msvc_status"
