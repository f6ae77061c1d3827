#!/usr/bin/env bash
# Cross-builds the Windows x86-64 DLL and its tests with MinGW-w64 and runs
# them under Wine through CTest:
#   scripts/windows-tests.sh [BUILD_DIR] [extra cmake args...]
# Needs g++-mingw-w64-x86-64, wine and wine64 (scripts/install-deps.sh with
# QUILLET_WITH_WINDOWS=1). Tests that talk to the simulated CIM server use the
# native mlnx-cimsim from QUILLET_NATIVE_BUILD (default: build/).
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
ctest --output-on-failure -j"$(nproc)" --timeout 300
