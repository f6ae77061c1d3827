#!/usr/bin/env bash
# quillet-mellanox in-band with no option, as on a host: it finds the CIM server
# where OpenPegasus puts its domain socket and answers only challenges from the
# folder that belongs to that server; it refuses endpoints that another user has
# taken over. Each case runs in private mount and network namespaces (empty /run,
# /var/tmp and /var/lib; its own loopback), so nothing of the host is seen or touched.
#   host_cim_server.sh CASE MLNX_CIMSIM QUILLET_MELLANOX FAKE_MFT_ROOT FIXTURE SQUATTED_HOST_CHECK
# CASE: packages      simulator at /var/run/tog-pegasus/cimxml.socket, challenges
#                     in /var/lib/Pegasus/cache/localauth (distribution packages)
#       source-build  simulator at /var/tmp/cimxml.socket, challenges in /var/tmp
#                     (OpenPegasus built from source); all five operations
#       loopback      simulator as root at 127.0.0.1:5988 only, challenges in /var/tmp
#       squatted      uid 65534 listens at /var/tmp/cimxml.socket and 127.0.0.1:5988;
#                     the exported class (SQUATTED_HOST_CHECK) must refuse both
set -euo pipefail
if [[ "${1:-}" != --inside ]]; then
  if ! unshare -m -n --propagation private true 2>/dev/null; then
    echo "no private mount and network namespace here (needs root); skipped"
    exit 77
  fi
  exec unshare -m -n --propagation private "$0" --inside "$@"
fi
shift
case_name="$1" simulator="$2" tool="$3" fake_root="$4" fixture="$5" squatted_check="$6"
ip link set lo up
for folder in /run /var/tmp /var/lib; do
  mount -t tmpfs "quillet-test-${folder//\//-}" "$folder"
done
chmod 1777 /var/tmp
unset QUILLET_CIMSERVER_LOCAL
export FAKE_MFT_FIXTURE="$fixture"

pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done' EXIT
wait_for() {  # wait_for TEST ARG: up to 10 s
  for _ in $(seq 200); do
    test "$1" "$2" && return 0
    sleep 0.05
  done
  echo "gave up waiting for $1 $2"
  return 1
}
run_tool() {  # run_tool ARGS...: prints the output, fails with it on a non-zero exit
  local output status=0
  output="$("$tool" "$@" 2>&1)" || status=$?
  echo "$output"
  [[ $status -eq 0 ]] || { echo "quillet-mellanox $* ended with $status"; return 1; }
}

case "$case_name" in
packages)
  mkdir -p /run/tog-pegasus /var/lib/Pegasus/cache/localauth
  chmod 0700 /var/lib/Pegasus/cache/localauth
  socket=/var/run/tog-pegasus/cimxml.socket
  "$simulator" --port 0 --quiet --unix "$socket" --authenticate --provider-stopped \
    --local-auth-dir /var/lib/Pegasus/cache/localauth >/dev/null &
  pids+=($!)
  wait_for -S "$socket"
  output="$(run_tool inventory)"
  echo "$output"
  grep -q "in-band via the local CIM server" <<<"$output"
  grep -q "ConnectX-4 IB #1" <<<"$output"
  grep -q "Status 0: success" <<<"$output"
  ;;
source-build)
  socket=/var/tmp/cimxml.socket
  "$simulator" --port 0 --quiet --unix "$socket" --authenticate --provider-stopped \
    --local-auth-dir /var/tmp >/dev/null &
  pids+=($!)
  wait_for -S "$socket"
  run_tool inventory | grep -q "Status 0: success"
  run_tool identities | grep -q "Status 0: success"
  diagnostics="$(run_tool diag list --json)"
  name="$(grep -o 'MLNX_PCIeLinkTest|[^"]*' <<<"$diagnostics" | head -1)"
  [[ -n "$name" ]] || { echo "no diagnostic listed: $diagnostics"; exit 1; }
  run_tool diag run "$name" | grep -q "Status 0: success"
  run_tool rawdata --root "$fake_root" | grep -q "Status 0: success"
  leftovers="$(find /var/tmp -name 'cimclient_*')"
  [[ -z "$leftovers" ]] || { echo "challenge files left behind: $leftovers"; exit 1; }
  echo "all five operations succeeded over /var/tmp/cimxml.socket with challenges in /var/tmp"
  ;;
loopback)
  "$simulator" --port 5988 --quiet --authenticate --provider-stopped --local-auth-dir /var/tmp >/dev/null &
  pids+=($!)
  for _ in $(seq 200); do
    grep -q ':1764 00000000:0000 0A' /proc/net/tcp && break
    sleep 0.05
  done
  output="$(run_tool inventory)"
  echo "$output"
  grep -q "ConnectX-4 IB #1" <<<"$output"
  ;;
squatted)
  squatter_log=/run/squatter.log
  setpriv --reuid 65534 --regid 65534 --clear-groups \
    "$simulator" --port 5988 --unix /var/tmp/cimxml.socket 2>"$squatter_log" >/dev/null &
  pids+=($!)
  wait_for -S /var/tmp/cimxml.socket
  "$squatted_check"
  if grep -q "POST" "$squatter_log"; then
    echo "the squatter received requests:"; cat "$squatter_log"; exit 1
  fi
  echo "both squatted endpoints refused; the squatter received nothing"
  ;;
*)
  echo "unknown case $case_name"; exit 2 ;;
esac
