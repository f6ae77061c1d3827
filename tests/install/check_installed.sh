#!/usr/bin/env bash
# Checks an installed copy of the project from its files alone:
#   check_installed.sh PREFIX WORK_DIR
# - the libraries' SONAMEs are versioned and no installed ELF file searches
#   libraries outside the prefix ($ORIGIN-relative RUNPATH or none);
# - a consumer project builds against the CMake package and, separately,
#   against the pkg-config file, and takes the inventory of the installed
#   simulator out-of-band through the installed module;
# - the installed quillet-mellanox runs its simulated inventory and raw-data
#   collection, finding mlnx-cimsim and the fake firmware tools itself.
# Needs only what the consumer needs: cmake, a C++ compiler, pkg-config.
set -euo pipefail
prefix="$(realpath -m "$1")"
work="$2"
here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$work"

fail() { echo "FAILED: $*" >&2; exit 1; }

echo "== installed ELF files"
library=$(find "$prefix/lib" -maxdepth 2 -name 'libquillet_mellanox.so.*' -type f | head -1)
[[ -n "$library" ]] || fail "no libquillet_mellanox.so.* below $prefix"
libdir=$(dirname "$library")
soname=$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[[ "$soname" =~ ^libquillet_mellanox\.so\.[0-9]+(\.[0-9]+)?$ ]] || fail "SONAME of $library is '$soname'"
[[ -L "$libdir/$soname" && -L "$libdir/libquillet_mellanox.so" ]] || fail "$soname or the .so link missing in $libdir"
echo "SONAME $soname"
while IFS= read -r file; do
  runpath=$(readelf -d "$file" | sed -n 's/.*(R\(UN\)\?PATH).*\[\(.*\)\]/\2/p')
  for entry in ${runpath//:/ }; do
    [[ "$entry" == '$ORIGIN'* ]] || fail "$file searches '$entry' (RUNPATH $runpath)"
  done
done < <(find "$prefix/bin/quillet-mellanox" "$prefix/bin/mlnx-cimsim" "$libdir"/libquillet_*.so.*.* \
           "$prefix/libexec/quillet-mellanox" -type f)

echo "== consumer through the CMake package"
cmake -S "$here/consumer" -B "$work/cmake-consumer" -DCMAKE_PREFIX_PATH="$prefix" >"$work/cmake-consumer.log" 2>&1 \
  || { cat "$work/cmake-consumer.log"; fail "the consumer does not configure against $prefix"; }
cmake --build "$work/cmake-consumer" >>"$work/cmake-consumer.log" 2>&1 \
  || { cat "$work/cmake-consumer.log"; fail "the consumer does not build against the CMake package"; }

echo "== consumer through pkg-config"
pc_file=$(find "$libdir/pkgconfig" "$prefix/share/pkgconfig" -name quillet-mellanox.pc 2>/dev/null | head -1 || true)
[[ -n "$pc_file" ]] || fail "no quillet-mellanox.pc below $prefix"
export PKG_CONFIG_PATH="$(dirname "$pc_file")${PKG_CONFIG_PATH:+:$PKG_CONFIG_PATH}"
# shellcheck disable=SC2046  # pkg-config prints separate arguments
c++ -std=c++17 -o "$work/pkg-config-consumer" "$here/consumer/inventory_consumer.cpp" \
  $(pkg-config --cflags --libs quillet-mellanox) -Wl,-rpath,"$(pkg-config --variable=libdir quillet-mellanox)" \
  || fail "the consumer does not build with pkg-config's flags ($pc_file)"

echo "== consumers against the installed simulator"
"$prefix/bin/mlnx-cimsim" --port 0 --quiet >"$work/mlnx-cimsim.out" 2>&1 &
simulator=$!
trap 'kill "$simulator" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  grep -q '^listening on ' "$work/mlnx-cimsim.out" && break
  kill -0 "$simulator" 2>/dev/null || { cat "$work/mlnx-cimsim.out"; fail "mlnx-cimsim stopped"; }
  sleep 0.1
done
port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\).*|\1|p' "$work/mlnx-cimsim.out")
[[ -n "$port" ]] || fail "mlnx-cimsim did not say where it listens: $(cat "$work/mlnx-cimsim.out")"
for consumer in "$work/cmake-consumer/inventory_consumer" "$work/pkg-config-consumer"; do
  output=$("$consumer" 127.0.0.1 "$port") || fail "$consumer: exit $? with output: $output"
  echo "$(basename "$consumer"): ${output//$'\n'/; }"
  [[ "$output" =~ GetStructuredInfo\ 0:\ [1-9][0-9]*\ PCI\ functions,\ [1-9][0-9]*\ ports ]] \
    || fail "$consumer found no adapters: $output"
done
kill "$simulator"
wait "$simulator" 2>/dev/null || true
trap - EXIT

echo "== installed quillet-mellanox --simulate"
inventory=$("$prefix/bin/quillet-mellanox" inventory --simulate) || fail "inventory --simulate: exit $?: $inventory"
grep -q '^Status 0: success' <<<"$inventory" || fail "inventory --simulate: $inventory"
grep -q '^PCI functions (4)' <<<"$inventory" || fail "inventory --simulate shows other than the default 4 PCI functions"
rawdata=$("$prefix/bin/quillet-mellanox" rawdata --simulate) || fail "rawdata --simulate: exit $?: $rawdata"
grep -q "$prefix/libexec/quillet-mellanox/fake-root/utilities/mellanox/WinMFT/flint.bat -d " <<<"$rawdata" \
  || fail "rawdata --simulate did not run the installed fake tools: $rawdata"
grep -q '^FW Version: ' <<<"$rawdata" || fail "rawdata --simulate has no firmware query: $rawdata"
echo "inventory and raw data from the installed files: ok"
