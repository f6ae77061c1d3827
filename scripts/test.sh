#!/usr/bin/env bash
# Every test: installs what is needed, builds and runs the suite natively, again
# under AddressSanitizer + UndefinedBehaviorSanitizer, and the Windows suite under Wine;
# builds the Debian package and checks it installed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
QUILLET_WITH_WINDOWS=1 QUILLET_WITH_FUZZ=1 QUILLET_WITH_PACKAGING=1 QUILLET_WITH_INTEGRATION=1 \
  "$root/scripts/install-deps.sh"

echo "== native build and tests"
"$root/scripts/build.sh" "$root/build"
(cd "$root/build" && ctest --output-on-failure --no-tests=error -j2 --timeout 300)

echo "== valgrind memcheck: integration tests of the exported class"
"$root/scripts/valgrind.sh" "$root/build"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
"$root/scripts/build.sh" "$root/build-asan" -DQUILLET_SANITIZE=ON -DQUILLET_BUILD_BENCH=OFF
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure --no-tests=error -j2 --timeout 600)

echo "== Debian package: lintian, apt-get install, run from the installed files, purge"
"$root/scripts/package-check.sh" "$root/build-package"

if [[ -x "$root/scripts/windows-tests.sh" ]]; then
  echo "== Windows DLL under Wine"
  "$root/scripts/windows-tests.sh"
fi
if [[ -x "$root/scripts/fuzz.sh" ]]; then
  echo "== fuzzing (bounded)"
  "$root/scripts/fuzz.sh"
fi
echo "== all tests passed"
