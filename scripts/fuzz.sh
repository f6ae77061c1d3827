#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (ASan + UBSan) and runs each
# for a bounded time, then prints executions and seconds per target.
#
#   scripts/fuzz.sh                              every target, 30 s each
#   FUZZ_SECONDS=900 scripts/fuzz.sh object_path one target, longer
#
# FUZZ_BUILD_DIR (default build-fuzz) holds the build, the growing corpus of
# each target (corpus/<target>, seeded from fuzz/seeds/<target>) and the
# inputs that made a target fail (artifacts/<target>/). Once the fault is
# fixed, copy such an input into fuzz/regressions/<target>/: the normal build
# replays it (CTest fuzz_replay_<target>).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${FUZZ_SECONDS:-30}"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  targets=(cimxml_response object_path device_list)
fi

cc=clang-14 cxx=clang++-14
if ! command -v "$cxx" >/dev/null; then cc=clang cxx=clang++; fi
CC="$cc" CXX="$cxx" cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_FUZZ=ON -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target fuzz_targets

# Large enough for a captured enumeration, small enough to keep runs fast.
declare -A max_len=([cimxml_response]=65536 [object_path]=4096 [device_list]=8192)

summary=()
status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  log="$build/fuzz-$target.log"
  mkdir -p "$corpus" "$artifacts"
  options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048
           -max_len="${max_len[$target]:-4096}" -artifact_prefix="$artifacts/")
  dictionary="$root/fuzz/dictionaries/$target.dict"
  if [[ -f "$dictionary" ]]; then options+=(-dict="$dictionary"); fi

  echo "== fuzzing $target for $seconds s"
  started=$(date +%s)
  if "$build/bin/fuzz_$target" "${options[@]}" "$corpus" "$root/fuzz/seeds/$target" \
       "$root/fuzz/regressions/$target" >"$log" 2>&1; then
    outcome=ok
  else
    outcome="FAILED (see $log and $artifacts)"
    status=1
    tail -40 "$log"
  fi
  elapsed=$(( $(date +%s) - started ))
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  summary+=("$(printf '%-16s %10s executions in %4s s (%s/s), corpus %s files: %s' "$target" \
    "${executions:-?}" "$elapsed" "$(( ${executions:-0} / (elapsed > 0 ? elapsed : 1) ))" \
    "$(find "$corpus" -type f | wc -l)" "$outcome")")
done

echo "== fuzz summary"
printf '%s\n' "${summary[@]}"
exit "$status"
