#!/usr/bin/env bash
# Wall time of the adapters' inventory of a 50-server fleet, two ways, over the
# same simulators on loopback: a playbook of the collection quillet.mellanox
# (one mellanox_inventory task per host, connection local, forks 10) and
# `quillet-mellanox inventory --hosts FILE -j 10 --json`.
#   scripts/bench-ansible.sh [BUILD_DIR]    (default: build; needs bin/quillet-mellanox and bin/mlnx-cimsim)
# BENCH_HOSTS (50), BENCH_SIMULATORS (5), BENCH_FORKS (10), BENCH_REPETITIONS (3),
# BENCH_ADAPTERS (adapters per simulated server, 2) change the set-up. BENCH_DOWN=N
# adds N servers that are down (closed loopback ports) to both runs. A third run, the
# same play with ansible.builtin.ping, shows what Ansible itself costs per host.
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
    for _ in $(seq 200); do
        grep -q '^listening on' "$work/sim$n.out" 2>/dev/null && break
        sleep 0.05
    done
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
# Ansible's own cost of one task per host, for scale: the same play with ping.
cat >"$work/ping-playbook.yml" <<PLAYBOOK
- hosts: fleet
  gather_facts: false
  tasks:
    - ansible.builtin.ping:
PLAYBOOK

measure() {  # measure COMMAND...: "wall cpu" in seconds (cpu: user + system, children included)
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >"$work/last.out" 2>&1 || true
    # A command that failed adds a line before the figures.
    tail -n 1 "$work/time" | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

servers=$((hosts + down))
echo "$servers servers ($down down) over $simulators simulators with $adapters adapters each, forks/jobs $forks, median of $repetitions"
uptime
: >"$work/playbook.times"
: >"$work/fleet.times"
: >"$work/ping.times"
for _ in $(seq "$repetitions"); do
    measure ansible-playbook -i "$work/inventory.yml" --forks "$forks" "$work/inventory-playbook.yml" >>"$work/playbook.times"
    ok="$(grep -c ': ok=1 .* ignored=0 ' "$work/last.out" || true)"
    measure "$tool" inventory --hosts "$work/fleet.txt" -j "$forks" --json >>"$work/fleet.times"
    records="$(grep -c '"status":0' "$work/last.out" || true)"
    measure ansible-playbook -i "$work/inventory.yml" --forks "$forks" "$work/ping-playbook.yml" >>"$work/ping.times"
done
uptime
echo "servers that succeeded: playbook $ok, quillet-mellanox --hosts $records (of $servers)"
report() {  # report LABEL TIMES: medians of wall and CPU, and per server
    local wall cpu
    wall="$(cut -d' ' -f1 "$2" | median)"
    cpu="$(cut -d' ' -f2 "$2" | median)"
    awk -v l="$1" -v w="$wall" -v c="$cpu" -v n="$servers" -v runs="$(cut -d' ' -f1 "$2" | tr '\n' ' ')" \
        'BEGIN { printf "%-44s wall %7.2f s (%5.0f ms per server)  CPU %7.2f s (%5.0f ms per server)  walls: %s\n", l, w, w * 1000 / n, c, c * 1000 / n, runs }'
}
report "ansible-playbook, mellanox_inventory, forks $forks" "$work/playbook.times"
report "quillet-mellanox inventory --hosts -j $forks" "$work/fleet.times"
report "ansible-playbook, ansible.builtin.ping, forks $forks" "$work/ping.times"
