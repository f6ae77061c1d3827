#!/usr/bin/env bash
# quillet-mellanox in-band with no option finds the host's CIM server where
# OpenPegasus's packages put its domain socket, and authenticates to it.
# A private mount namespace gets an empty /run, so the simulator's socket at
# /var/run/tog-pegasus/cimxml.socket is seen by this test alone.
#   host_cim_server.sh MLNX_CIMSIM QUILLET_MELLANOX
set -euo pipefail
if [[ "${1:-}" != --inside ]]; then
  if ! unshare -m --propagation private true 2>/dev/null; then
    echo "no private mount namespace here (needs root); skipped"
    exit 77
  fi
  exec unshare -m --propagation private "$0" --inside "$@"
fi
shift
simulator="$1"
tool="$2"
mount -t tmpfs quillet-test-run /run
mkdir -p /run/tog-pegasus
socket=/var/run/tog-pegasus/cimxml.socket
"$simulator" --port 0 --quiet --unix "$socket" --authenticate --provider-stopped >/dev/null &
simulator_pid=$!
trap 'kill "$simulator_pid" 2>/dev/null || true; wait "$simulator_pid" 2>/dev/null || true' EXIT
for _ in $(seq 200); do
  [[ -S "$socket" ]] && break
  sleep 0.05
done
unset QUILLET_CIMSERVER_LOCAL
output="$("$tool" inventory 2>&1)" || { echo "$output"; echo "exit code $?"; exit 1; }
echo "$output"
grep -q "in-band via the local CIM server" <<<"$output"
grep -q "ConnectX-4 IB #1" <<<"$output"
grep -q "Status 0: success" <<<"$output"
