#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh [BUILD_DIR] [extra cmake args...]
# The project's options are set on every call (tests and benchmarks on,
# sanitizers off, unless the extra arguments say otherwise), so a tree
# configured by one script is right for the next whatever ran before.
# QUILLET_BUILD_TARGETS (space-separated) builds only those targets.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${1:-$root/build}"
shift || true
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_BUILD_TESTS=ON -DQUILLET_BUILD_BENCH=ON -DQUILLET_SANITIZE=OFF -DQUILLET_FUZZ=OFF "$@" >/dev/null
targets=()
for target in ${QUILLET_BUILD_TARGETS:-}; do
  targets+=(--target "$target")
done
cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}"
