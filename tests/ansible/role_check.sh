#!/usr/bin/env bash
# The role quillet.mellanox.install in check mode on this machine (it installs
# nothing): a package file of the expected name is found and would be copied,
# and a missing one stops the role with a message naming it.
#   role_check.sh WORK   (with ANSIBLE_COLLECTIONS_PATH set to the installed collection)
set -euo pipefail
work="$1"

# A stand-in package file with the name and fields CPack gives the real one.
package="$work/package"
mkdir -p "$package/root/DEBIAN" "$work/deb"
cat >"$package/root/DEBIAN/control" <<CONTROL
Package: quillet-mellanox
Version: 0.1.0
Architecture: amd64
Maintainer: quillet-mellanox maintainers <maintainers@example.invalid>
Description: stand-in for the role's check-mode test
CONTROL
dpkg-deb --build "$package/root" "$work/deb/quillet-mellanox_0.1.0_amd64.deb" >/dev/null

cat >"$work/role.yml" <<'PLAYBOOK'
- hosts: localhost
  connection: local
  gather_facts: false
  roles:
    - quillet.mellanox.install
PLAYBOOK

run_role() {  # run_role LOG DEB_DIR
    ansible-playbook --check "$work/role.yml" -e "quillet_mellanox_deb_dir=$2" \
        -e "quillet_mellanox_remote_dir=$work/node-cache" >"$1" 2>&1
}

run_role "$work/role-found.log" "$work/deb" || { cat "$work/role-found.log"; exit 1; }
grep -q 'changed: \[localhost\]' "$work/role-found.log" || { cat "$work/role-found.log"; exit 1; }
if [[ -e "$work/node-cache" ]]; then
    echo "check mode created $work/node-cache" >&2
    exit 1
fi

# With the file already on the node, apt examines it in check mode and installs nothing.
installed() { dpkg-query -W -f='${Status} ${Version}' quillet-mellanox 2>/dev/null || true; }
before="$(installed)"
mkdir -p "$work/node-cache"
cp "$work/deb/quillet-mellanox_0.1.0_amd64.deb" "$work/node-cache/"
run_role "$work/role-present.log" "$work/deb" || { cat "$work/role-present.log"; exit 1; }
grep -A1 'Install the package and its dependencies' "$work/role-present.log" | grep -Eq '^(changed|ok): ' \
    || { cat "$work/role-present.log"; exit 1; }
[[ "$(installed)" == "$before" ]] || { echo "check mode changed the installed package" >&2; exit 1; }

if run_role "$work/role-missing.log" "$work/nowhere"; then
    echo "the role went on without a package file" >&2
    exit 1
fi
grep -q "quillet-mellanox_0.1.0_amd64.deb was not found on the controller" "$work/role-missing.log" \
    || { cat "$work/role-missing.log"; exit 1; }
echo "role quillet.mellanox.install: check mode passed"
