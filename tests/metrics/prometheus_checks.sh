#!/usr/bin/env bash
# The output of `quillet-mellanox metrics` and the alerting rules checked by
# Prometheus's own tools: promtool (Debian's prometheus package) and
# prometheus-node-exporter. Exits 77 (a skip for CTest) when they are missing.
#
#   prometheus_checks.sh BIN_DIR SOURCE_DIR CHECK
#   CHECK: default-fixture | 64-adapters | fleet | rules | node-exporter
set -euo pipefail

bin_dir=$1
source_dir=$2
check=$3
tool="$bin_dir/quillet-mellanox"

need() {
  if ! command -v "$1" >/dev/null; then
    echo "SKIPPED: $1 is not installed (Debian package $2; QUILLET_WITH_INTEGRATION=1 scripts/install-deps.sh installs it)"
    exit 77
  fi
}
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

work=$(mktemp -d)
children=()
cleanup() {
  for pid in "${children[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# promtool prints lint problems and exits non-zero on them; nothing at all is the pass.
check_metrics() {
  local file=$1 report
  [[ -s $file ]] || fail "$file is empty"
  if ! report=$(promtool check metrics <"$file" 2>&1) || [[ -n $report ]]; then
    fail "promtool check metrics on $file: $report"
  fi
  echo "promtool check metrics: $(grep -vc '^#' "$file") samples, no problems"
}

# Starts mlnx-cimsim on a free loopback port; prints the port.
start_simulator() {
  local out="$work/sim$RANDOM.out"
  "$bin_dir/mlnx-cimsim" --port 0 --quiet "$@" >"$out" 2>&1 &
  children+=($!)
  for _ in $(seq 100); do
    if grep -q "^listening on" "$out"; then
      sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$out"
      return
    fi
    sleep 0.1
  done
  fail "mlnx-cimsim did not start: $(cat "$out")"
}

# GET on 127.0.0.1:PORT through bash's own /dev/tcp; prints the response body.
http_get() {
  local port=$1 path=$2
  exec 3<>"/dev/tcp/127.0.0.1/$port" || return 1
  printf 'GET %s HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' "$path" >&3
  sed '1,/^\r$/d' <&3
  exec 3<&-
}

case $check in
  default-fixture)
    need promtool prometheus
    "$tool" metrics --simulate >"$work/default.prom"
    check_metrics "$work/default.prom"
    ;;

  64-adapters)
    need promtool prometheus
    "$bin_dir/mlnx-cimsim" --generate 64 >"$work/server64.json"
    "$tool" metrics --simulate --fixture "$work/server64.json" >"$work/64.prom"
    check_metrics "$work/64.prom"
    functions=$(grep -c '^quillet_mellanox_pci_function_info{' "$work/64.prom")
    [[ $functions == 128 ]] || fail "128 PCI functions expected, $functions exported"
    ;;

  fleet)
    need promtool prometheus
    printf 'fleet-pw\n' >"$work/password"
    printf 'another-pw\n' >"$work/other-password"
    chmod 600 "$work/password" "$work/other-password"   # the tool reads no password file others could read
    first=$(start_simulator --user admin --password-file "$work/password")
    second=$(start_simulator --user admin --password-file "$work/password")
    # Refuses our password: answers at once, with an error.
    locked=$(start_simulator --user admin --password-file "$work/other-password")
    printf '127.0.0.1:%s\n127.0.0.1:%s\n127.0.0.1:%s\n127.0.0.1:%s\n' "$first" "$second" "$locked" "$first" \
      >"$work/hosts"
    status=0
    "$tool" metrics --hosts "$work/hosts" -j 2 --user admin --password-file "$work/password" \
      >"$work/fleet.prom" 2>"$work/fleet.err" || status=$?
    [[ $status == 1 ]] || fail "exit code $status, 1 (the locked server's status) expected"
    check_metrics "$work/fleet.prom"
    for expected in "$first 1" "$second 1" "$locked 0"; do
      grep -qx "quillet_mellanox_host_up{host=\"127.0.0.1:${expected% *}\"} ${expected#* }" "$work/fleet.prom" ||
        fail "no host_up series 127.0.0.1:$expected"
    done
    [[ $(grep -c '^quillet_mellanox_host_up{' "$work/fleet.prom") == 3 ]] || fail "a host listed twice is one host"
    if grep -v '^#' "$work/fleet.prom" | grep -qv '{host="127.0.0.1:'; then
      fail "a series without a host label"
    fi
    ;;

  rules)
    need promtool prometheus
    promtool check rules "$source_dir/monitoring/quillet-mellanox.rules.yml"
    (cd "$source_dir/monitoring" && promtool test rules quillet-mellanox.rules.test.yml)
    ;;

  node-exporter)
    need prometheus-node-exporter prometheus-node-exporter
    mkdir "$work/textfiles"
    textfile="$work/textfiles/quillet_mellanox.prom"
    "$tool" metrics --simulate --textfile "$textfile"
    [[ -s $textfile ]] || fail "--textfile wrote nothing"
    # A port of our own choosing; taken by someone else, try another.
    for _ in $(seq 10); do
      port=$((20000 + RANDOM % 40000))
      prometheus-node-exporter --collector.disable-defaults --collector.textfile \
        --collector.textfile.directory="$work/textfiles" --web.listen-address="127.0.0.1:$port" \
        >"$work/node-exporter.log" 2>&1 &
      children+=($!)
      for _ in $(seq 50); do
        if http_get "$port" /metrics >"$work/scrape" 2>/dev/null && [[ -s $work/scrape ]]; then
          break 2
        fi
        kill -0 "${children[-1]}" 2>/dev/null || break
        sleep 0.1
      done
    done
    [[ -s $work/scrape ]] || fail "node_exporter did not serve /metrics: $(cat "$work/node-exporter.log")"
    for series in 'quillet_mellanox_port_link_up{port="mlx5_0:1"} 1' \
                  'quillet_mellanox_pci_function_health_state{address="0000:06:00.1"} 10' \
                  'quillet_mellanox_operation_status{operation="GetStructuredInfo"} 0' \
                  'node_textfile_scrape_error 0'; do
      grep -qxF "$series" "$work/scrape" || fail "not served by node_exporter: $series"
    done
    echo "node_exporter on 127.0.0.1:$port serves $(grep -c '^quillet_mellanox_' "$work/scrape") quillet_mellanox samples"

    # A failed run (a server without the vendor's provider) replaces the file:
    # statuses and the last success stay, the adapter series go.
    printf '{"description": "no provider", "use_builtin_schema": false, "instances": []}\n' >"$work/empty.json"
    status=0
    "$tool" metrics --simulate --fixture "$work/empty.json" --textfile "$textfile" 2>/dev/null || status=$?
    [[ $status == 1 ]] || fail "failed run: exit code $status, 1 expected"
    http_get "$port" /metrics >"$work/scrape"
    grep -qxF 'quillet_mellanox_operation_status{operation="GetStructuredInfo"} 1' "$work/scrape" ||
      fail "the failed status is not served"
    grep -q '^quillet_mellanox_operation_last_success_timestamp_seconds{operation="GetStructuredInfo"} ' \
      "$work/scrape" || fail "the last success was not kept"
    ! grep -q '^quillet_mellanox_port_' "$work/scrape" || fail "stale port series are still served"
    grep -qxF 'node_textfile_scrape_error 0' "$work/scrape" || fail "node_exporter could not read the failed run's file"
    ls "$work/textfiles" | grep -qvx 'quillet_mellanox.prom' && fail "temporary files left: $(ls "$work/textfiles")"
    echo "failed run: statuses kept, adapter series dropped"
    ;;

  *)
    fail "unknown check $check"
    ;;
esac
