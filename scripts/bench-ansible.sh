#!/usr/bin/env bash
# Wall time of the adapters' inventory of a 50-server fleet, two ways, over the
# same simulators on loopback: a playbook of the collection quillet.mellanox
# (one mellanox_inventory task per host, connection local, forks 10) and
# `quillet-mellanox inventory --hosts FILE -j 10 --json`.
#   scripts/bench-ansible.sh [BUILD_DIR]    (default: build; needs bin/quillet-mellanox and bin/mlnx-cimsim)
# BENCH_HOSTS (50), BENCH_SIMULATORS (5), BENCH_FORKS (10), BENCH_REPETITIONS (3),
# BENCH_ADAPTERS (adapters per simulated server, 2) change the set-up. BENCH_DOWN=N
# adds N servers that are down (closed loopback ports) to both runs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="$(cd "${1:-$root/build}" && pwd)"
hosts="${BENCH_HOSTS:-50}" simulators="${BENCH_SIMULATORS:-5}" forks="${BENCH_FORKS:-10}"
repetitions="${BENCH_REPETITIONS:-3}" adapters="${BENCH_ADAPTERS:-2}" down="${BENCH_DOWN:-0}"
tool="$build_dir/bin/quillet-mellanox"
command -v ansible-playbook >/dev/null || { echo "ansible-core is not installed (apt-get install ansible-core)" >&2; exit 69; }

work="$(mktemp -d "${TMPDIR:-/tmp}/bench-ansible.XXXXXX")"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home" "$work/tmp"
export HOME="$work/home" LC_ALL=C.UTF-8 ANSIBLE_LOCAL_TEMP="$work/tmp/local" ANSIBLE_REMOTE_TMP="$work/tmp/remote"
export ANSIBLE_COLLECTIONS_PATH="$root/ansible" ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 ANSIBLE_NOCOLOR=1

"$build_dir/bin/mlnx-cimsim" --generate "$adapters" >"$work/fixture.json"
ports=()
for n in $(seq "$simulators"); do
    "$build_dir/bin/mlnx-cimsim" --port 0 --quiet --fixture "$work/fixture.json" >"$work/sim$n.out" &
    pids+=($!)
    until grep -q '^listening on' "$work/sim$n.out"; do sleep 0.05; done
    ports+=("$(sed -n 's/^listening on http:\/\/127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/sim$n.out")")
done
read -r -a closed <<<"$(python3 -c "
import socket
s = [socket.socket() for _ in range($down)]
for x in s: x.bind(('127.0.0.1', 0))
print(' '.join(str(x.getsockname()[1]) for x in s))")"

# One list of servers for both runs.
: >"$work/fleet.txt"
{
    echo "fleet:"
    echo "  vars: {ansible_connection: local}"
    echo "  hosts:"
} >"$work/inventory.yml"
for n in $(seq "$hosts"); do
    port="${ports[$(( (n - 1) % simulators ))]}"
    echo "127.0.0.1:$port" >>"$work/fleet.txt"
    echo "    server-$n: {cim_port: $port}" >>"$work/inventory.yml"
done
for port in "${closed[@]}"; do
    echo "127.0.0.1:$port" >>"$work/fleet.txt"
    echo "    down-$port: {cim_port: $port}" >>"$work/inventory.yml"
done
cat >"$work/inventory-playbook.yml" <<PLAYBOOK
- hosts: fleet
  gather_facts: false
  tasks:
    - quillet.mellanox.mellanox_inventory:
        tool: $tool
        host: 127.0.0.1
        port: "{{ cim_port }}"
      ignore_errors: true
PLAYBOOK

seconds() {  # seconds COMMAND...: wall time in seconds, output to $work/last.out
    local start end
    start="$(date +%s.%N)"
    "$@" >"$work/last.out" 2>&1 || true
    end="$(date +%s.%N)"
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

servers=$((hosts + down))
echo "$servers servers ($down down) over $simulators simulators with $adapters adapters each, forks/jobs $forks, median of $repetitions"
playbook_times=() fleet_times=()
for _ in $(seq "$repetitions"); do
    playbook_times+=("$(seconds ansible-playbook -i "$work/inventory.yml" --forks "$forks" "$work/inventory-playbook.yml")")
    ok="$(grep -c ': ok=1 ' "$work/last.out" || true)"
    fleet_times+=("$(seconds "$tool" inventory --hosts "$work/fleet.txt" -j "$forks" --json)")
    records="$(grep -c '"status":0' "$work/last.out" || true)"
done
echo "hosts that succeeded: playbook $ok, quillet-mellanox --hosts $records (of $servers)"
playbook="$(printf '%s\n' "${playbook_times[@]}" | median)"
fleet="$(printf '%s\n' "${fleet_times[@]}" | median)"
printf 'ansible-playbook (mellanox_inventory, forks %s): %.2f s  [%s]\n' "$forks" "$playbook" "${playbook_times[*]}"
printf 'quillet-mellanox --hosts -j %s:              %.2f s  [%s]\n' "$forks" "$fleet" "${fleet_times[*]}"
awk -v p="$playbook" -v f="$fleet" -v n="$servers" \
    'BEGIN { printf "per server: playbook %.0f ms, --hosts %.0f ms; ratio %.1f\n", p * 1000 / n, f * 1000 / n, p / f }'
