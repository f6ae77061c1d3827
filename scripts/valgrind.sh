#!/usr/bin/env bash
# Runs the integration tests of the exported class once under valgrind's
# memcheck: any memory error or definitely lost block fails the run.
#
#   scripts/valgrind.sh [BUILD_DIR]     (default: build, built with scripts/build.sh)
#
# Only the test programs run under valgrind; the simulated CIM server and the
# fake firmware tools they start run natively. Left out: the response past
# the 32 MiB cap, the 100 MB tool output and the tool that is waited for 100
# seconds (slow under valgrind and covered natively and under ASan), and the
# cut-by-cut decoding of the captured responses (a unit test of the decoder).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
if [[ ! -x "$build/bin/fault_matrix_tests" ]]; then
  "$root/scripts/build.sh" "$build"
fi
logs="$build/valgrind"
mkdir -p "$logs"

runs=(
  "fault_matrix_tests -*SizeCap*:TruncatedResponse.*"
  "security_tests *"
  "module_facade_tests *"
  "inventory_tests *"
  "diagnostics_tests *"
  "hostile_tools_tests *Metacharacters*:*OutputOpen*"
)

status=0
summary=()
for run in "${runs[@]}"; do
  program="${run%% *}"
  filter="${run#* }"
  log="$logs/$program.log"
  echo "== valgrind $program --gtest_filter=$filter"
  started=$(date +%s)
  if valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite --show-leak-kinds=definite \
       --error-exitcode=1 --num-callers=40 --log-file="$log" \
       "$build/bin/$program" --gtest_filter="$filter" >"$logs/$program.out" 2>&1; then
    outcome=ok
  else
    outcome="FAILED (see $log and $logs/$program.out)"
    status=1
  fi
  elapsed=$(( $(date +%s) - started ))
  tests=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$logs/$program.out" | tail -1)
  errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$log" | tail -1)
  lost=$(sed -n 's/.*definitely lost: \([0-9,]*\) bytes.*/\1/p' "$log" | tail -1)
  summary+=("$(printf '%-22s %3s tests passed, %s errors, %s bytes definitely lost, %4s s: %s' \
    "$program" "${tests:-0}" "${errors:-?}" "${lost:-0}" "$elapsed" "$outcome")")
done

echo "== valgrind summary"
printf '%s\n' "${summary[@]}"
exit "$status"
