#!/usr/bin/env bash
# A fleet of 50 servers, each reached out-of-band from the controller through
# mlnx-cimsim simulators on loopback (some down, one with a wrong password),
# run with forks 10; then diagnostics and raw data in-band on a few of them.
# The playbook runs twice: in check mode, which must change nothing, and for real.
#
# QUILLET_BIN_DIR: folder holding quillet-mellanox and mlnx-cimsim (a build's
# bin/); without it both are taken from PATH. QUILLET_FAKE_ROOT: root of the
# fake firmware tools (default: QUILLET_BIN_DIR/../fake-root).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
collections_root="$(cd "$here/../../../../../../.." && pwd)"
bin_dir="${QUILLET_BIN_DIR:-}"
tool="$(command -v "${bin_dir:+$bin_dir/}quillet-mellanox")"
simulator="$(command -v "${bin_dir:+$bin_dir/}mlnx-cimsim")"
fake_root="${QUILLET_FAKE_ROOT:-${bin_dir:+$bin_dir/../fake-root}}"
fake_root="$(cd "$fake_root" && pwd)"

work="$(mktemp -d "${TMPDIR:-/tmp}/mellanox-fleet.XXXXXX")"
simulator_pids=()
cleanup() {
    for pid in "${simulator_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Ansible wants a writable home and temporary folder and a UTF-8 locale.
mkdir -p "$work/home" "$work/tmp"
export HOME="$work/home" TMPDIR="$work/tmp" LC_ALL=C.UTF-8
export ANSIBLE_COLLECTIONS_PATH="${ANSIBLE_COLLECTIONS_PATH:-$collections_root}"
export ANSIBLE_LOCAL_TEMP="$work/tmp/local" ANSIBLE_REMOTE_TMP="$work/tmp/remote"
export ANSIBLE_HOST_KEY_CHECKING=false ANSIBLE_RETRY_FILES_ENABLED=false
export ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 ANSIBLE_NOCOLOR=1

password="fleet-Pw-7q2z"   # appears nowhere in the inventory data, so no_log masks nothing else
printf '%s\n' "$password" >"$work/password"
printf 'not-%s\n' "$password" >"$work/wrong-password"
chmod 600 "$work/password" "$work/wrong-password"   # the tool reads no password file others could read

# start_simulator NAME [ARGS...]: starts one simulator; its port goes to $work/NAME.port
start_simulator() {
    local name="$1"
    shift
    "$simulator" --port 0 --quiet "$@" >"$work/$name.out" 2>"$work/$name.err" &
    simulator_pids+=($!)
    for _ in $(seq 100); do
        if grep -q '^listening on' "$work/$name.out"; then
            sed -n 's/^listening on https\{0,1\}:\/\/127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/$name.out" >"$work/$name.port"
            return 0
        fi
        sleep 0.1
    done
    echo "simulator $name did not start: $(cat "$work/$name.err")" >&2
    return 1
}

# Out-of-band servers: differing fixtures, plain and TLS, with and without a password.
"$simulator" --generate 8 >"$work/eight.json"
"$simulator" --generate 3 >"$work/three.json"
start_simulator plain
start_simulator eight --fixture "$work/eight.json"
start_simulator secured --user admin --password-file "$work/password"
start_simulator tls --https --cert-out "$work/tls.pem"
start_simulator tls_secured --https --fixture "$work/three.json" --user admin --password-file "$work/password" \
    --cert-out "$work/tls_secured.pem"
# In-band nodes: one simulator each, since an in-band run starts and stops the provider module.
for node in a b c; do
    start_simulator "inband_$node" --provider-stopped
done

# Down servers: loopback ports that nothing listens on.
read -r -a closed_ports <<<"$(python3 -c '
import socket
sockets = [socket.socket() for _ in range(3)]
for s in sockets:
    s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in sockets))
')"

# What the tool prints for each live server: the facts must equal it.
mkdir -p "$work/expected"
expect() {  # expect NAME [TOOL ARGS...]
    local name="$1"
    shift
    "$tool" inventory --json --host 127.0.0.1 --port "$(cat "$work/$name.port")" "$@" >"$work/expected/$name.json"
}
expect plain
expect eight
expect secured --user admin --password-file "$work/password"
expect tls --ssl
expect tls_secured --ssl --user admin --password-file "$work/password"

# A tool that checks certificates gets one host verifying against the right CA and one against another.
verify=no
if "$tool" --help 2>&1 | grep -q -- '--verify-cert'; then
    verify=yes
fi
python3 "$here/make_inventory.py" "$work" "$verify" "${closed_ports[@]}" >"$work/inventory.yml"

run_playbook() {  # run_playbook LOG [ANSIBLE-PLAYBOOK ARGS...]
    local log="$1"
    shift
    local status=0
    ansible-playbook -i "$work/inventory.yml" --forks 10 "$here/fleet.yml" \
        -e "quillet_tool=$tool fake_root=$fake_root work_dir=$work" "$@" >"$log" 2>&1 || status=$?
    cat "$log"
    if [[ $status != 0 ]]; then
        echo "ansible-playbook $* failed with exit code $status" >&2
        return 1
    fi
}

# The recap must list all 50 hosts; check mode must change none of them.
recap_hosts() { sed -n '/^PLAY RECAP/,$p' "$1" | grep -c ' : ok=' ; }

echo "== check mode"
run_playbook "$work/check.log" --check
[[ "$(recap_hosts "$work/check.log")" == 50 ]] || { echo "recap of check mode lacks hosts" >&2; exit 1; }
if sed -n '/^PLAY RECAP/,$p' "$work/check.log" | grep ' : ok=' | grep -v 'changed=0 '; then
    echo "check mode reported changes" >&2
    exit 1
fi

echo "== real run"
run_playbook "$work/run.log"
[[ "$(recap_hosts "$work/run.log")" == 50 ]] || { echo "recap of the run lacks hosts" >&2; exit 1; }
echo "mellanox_fleet: 50 hosts, check mode and real run passed"
