#!/usr/bin/env bash
# One test of the Ansible collection, run by CTest:
#   collection_test.sh sanity|units|galaxy|fleet COLLECTION BIN_DIR FAKE_ROOT WORK
# Exits 77 (CTest: skipped) with the reason when what the test needs is not installed.
set -euo pipefail

kind="$1" collection="$2" bin_dir="$3" fake_root="$4" work="$5"
here="$(cd "$(dirname "$0")" && pwd)"

skip() {
    echo "SKIPPED: $* (QUILLET_WITH_INTEGRATION=1 bash scripts/install-deps.sh installs it)"
    exit 77
}
need() {  # need PROGRAM PACKAGE
    command -v "$1" >/dev/null || skip "$1 is not installed: apt-get install $2"
}
need_python_module() {  # need_python_module MODULE PACKAGE
    /usr/bin/python3 -c "import $1" 2>/dev/null || skip "Python module $1 is not installed: apt-get install $2"
}

# ansible-test writes its results below the collection: it runs on a copy, in a
# repository of its own since the enclosing one (if any) ignores the build folder.
enter_copy() {
    local copy="$work/ansible_collections/quillet/mellanox"
    mkdir -p "$copy"
    (cd "$collection" && tar --exclude=./tests/output --exclude=__pycache__ -cf - .) | tar -xf - -C "$copy"
    cd "$copy"
    git init -q . && git add -A
}
python_version="$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')"

need ansible-playbook ansible-core
rm -rf "$work"
mkdir -p "$work/home" "$work/tmp"
# Ansible wants a writable home and temporary folder and a UTF-8 locale.
export HOME="$work/home" TMPDIR="$work/tmp" LC_ALL=C.UTF-8
export ANSIBLE_LOCAL_TEMP="$work/tmp/local" ANSIBLE_REMOTE_TMP="$work/tmp/remote" ANSIBLE_NOCOLOR=1

case "$kind" in
sanity)
    need ansible-test ansible-core
    need pylint pylint
    need yamllint yamllint
    need_python_module pycodestyle python3-pycodestyle
    need_python_module voluptuous python3-voluptuous
    need_python_module venv python3-venv
    enter_copy
    /usr/bin/python3 "$here/ansible_test_offline.py" sanity --python "$python_version" --color no
    ;;
units)
    need ansible-test ansible-core
    need_python_module pytest python3-pytest
    need_python_module xdist python3-pytest-xdist
    need_python_module pytest_forked python3-pytest-forked
    enter_copy
    ansible-test units --python "$python_version" --color no
    ;;
galaxy)
    need ansible-galaxy ansible-core
    ansible-galaxy collection build "$collection" --output-path "$work/dist"
    archive="$(echo "$work"/dist/quillet-mellanox-*.tar.gz)"
    if tar -tzf "$archive" | grep -E '(^|/)(tests/output|__pycache__)/'; then
        echo "the archive carries test output or byte code" >&2
        exit 1
    fi
    ansible-galaxy collection install "$archive" -p "$work/collections"
    export ANSIBLE_COLLECTIONS_PATH="$work/collections"
    ansible-galaxy collection list quillet.mellanox
    for module in mellanox_inventory mellanox_diagnostic mellanox_rawdata; do
        ansible-doc "quillet.mellanox.$module" >"$work/$module.txt"
        grep -q "^> QUILLET.MELLANOX.${module^^}" "$work/$module.txt"
    done
    # The installed collection works: a module against a simulator, and the role in check mode.
    coproc simulator { exec "$bin_dir/mlnx-cimsim" --port 0 --quiet; }
    trap 'kill "$simulator_PID" 2>/dev/null || true' EXIT
    read -r listening <&"${simulator[0]}"
    ansible localhost -m quillet.mellanox.mellanox_inventory \
        -a "tool=$bin_dir/quillet-mellanox host=127.0.0.1 port=${listening##*:}" >"$work/ad-hoc.txt" 2>&1 \
        || { cat "$work/ad-hoc.txt"; exit 1; }
    grep -q '"PCI_device_ID": "4115"' "$work/ad-hoc.txt" || { cat "$work/ad-hoc.txt"; exit 1; }
    bash "$here/role_check.sh" "$work"
    ;;
fleet)
    QUILLET_BIN_DIR="$bin_dir" QUILLET_FAKE_ROOT="$fake_root" ANSIBLE_COLLECTIONS_PATH="$(cd "$collection/../../.." && pwd)" \
        bash "$collection/tests/integration/targets/mellanox_fleet/runme.sh"
    ;;
*)
    echo "unknown test kind: $kind" >&2
    exit 64
    ;;
esac
