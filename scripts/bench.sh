#!/usr/bin/env bash
# Builds Release and runs every benchmark, writing JSON results and a summary:
#   scripts/bench.sh [BUILD_DIR]        (default build-bench; results in BUILD_DIR/bench-results)
# Set BENCH_REPETITIONS (default 5) to change how many runs each median is taken over.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${1:-$root/build-bench}"
repetitions="${BENCH_REPETITIONS:-5}"
results="$build_dir/bench-results"

cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" -j2 --target module_e2e_bench pegasus_decode_bench pegasus_hostile_memory_bench mlnx_cimsim_bench
mkdir -p "$results"

run() {  # run NAME REPETITIONS BINARY [ARGS...]
    local name="$1" count="$2" binary="$3"
    shift 3
    echo "== $name"
    "$build_dir/bin/$binary" --benchmark_repetitions="$count" --benchmark_report_aggregates_only=true \
        --benchmark_out="$results/$name.json" --benchmark_out_format=json "$@"
}

{
    date -u
    nproc
    lscpu | head -15
    uptime
} >"$results/machine.txt"

run module_e2e "$repetitions" module_e2e_bench --benchmark_filter='-BM_GetStructuredInfoPeakMemory'
# Memory of the 64-adapter inventory, each in a fresh process: the resident set
# of a process only grows back after what earlier benchmarks freed.
run memory_structured64 1 module_e2e_bench \
    --benchmark_filter='^BM_GetStructuredInfo/adapters:64/https:0/'
run memory_peak64 1 module_e2e_bench --benchmark_filter='BM_GetStructuredInfoPeakMemory'
run pegasus_decode "$repetitions" pegasus_decode_bench
# Memory of each kind of hostile body, each in a fresh process likewise.
for kind in 0 1 2 3 4 5; do
    run "hostile_memory_$kind" 1 pegasus_hostile_memory_bench --benchmark_filter="kind:$kind/"
done
run cimsim_enumeration "$repetitions" mlnx_cimsim_bench

# Median wall time of the wbemcli script over the exported class's
# GetStructuredInfo on HTTP, per adapter count.
jq -r '
  [.benchmarks[] | select(.aggregate_name == "median")] as $m
  | ($m | map(select(.name | test("^BM_WbemcliScript/adapters:"))) | .[]) as $w
  | ($w.name | capture("adapters:(?<n>[0-9]+)").n) as $n
  | ($m | map(select(.name | test("^BM_GetStructuredInfo/adapters:" + $n + "/https:0/"))) | .[0]) as $s
  | "adapters \($n): GetStructuredInfo \($s.real_time | . * 100 | round / 100) ms, wbemcli script \($w.real_time | . * 100 | round / 100) ms, ratio \($w.real_time / $s.real_time | . * 10 | round / 10)"
' "$results/module_e2e.json" | tee "$results/wbemcli_ratio.txt"

# The 64-adapter GetStructuredInfo over HTTP against its floor (the server's
# answers and the parser's reading of them, same run), and the client's CPU
# per adapter at each size.
jq -r '
  [.benchmarks[] | select(.aggregate_name == "median")] as $m
  | def median($pattern): ($m | map(select(.name | test($pattern))) | .[0]);
  median("^BM_GetStructuredInfo/adapters:64/https:0/") as $s
  | (median("^BM_InventoryServerOnly/adapters:64") .real_time + median("^BM_InventoryParseOnly/adapters:64") .real_time) as $floor
  | "floor: GetStructuredInfo 64 adapters \($s.real_time | . * 100 | round / 100) ms, server only + parse only \($floor | . * 100 | round / 100) ms, ratio \($s.real_time / $floor | . * 100 | round / 100)",
    ([1, 8, 64][] as $n | median("^BM_GetStructuredInfo/adapters:\($n)/https:0/") as $g
     | "client CPU per adapter at \($n): \($g.cpu_time / $n | . * 1000 | round / 1000) ms")
' "$results/module_e2e.json" | tee "$results/floor_ratio.txt"
echo "results in $results"
