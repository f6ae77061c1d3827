#!/usr/bin/env bash
# Builds the Debian package and checks it as a user would meet it:
#   scripts/package-check.sh [BUILD_DIR]     (default: build-package)
# lintian (errors fail; warnings are listed), `apt-get install ./<deb>`, then
# quillet-mellanox's simulated inventory and a consumer project built against
# the installed package, with the source and build trees hidden (a private
# mount namespace), and finally removal of the package. Replaces an installed
# quillet-mellanox for the duration. Run as root or with sudo.
# Needs lintian (scripts/install-deps.sh with QUILLET_WITH_PACKAGING=1).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build-package}")"
as_root=()
if [[ "$(id -u)" != 0 ]]; then
  as_root=(sudo)
fi

echo "== build for /usr and package"
"$root/scripts/build.sh" "$build" -DCMAKE_INSTALL_PREFIX=/usr -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF
rm -f "$build"/quillet-mellanox_*.deb
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || { cat "$build/cpack.log"; exit 1; }
deb=$(ls "$build"/quillet-mellanox_*_amd64.deb)
echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Version), Depends: $(dpkg-deb -f "$deb" Depends)"

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" | sed 's/^/  /' || {
  echo "FAILED: lintian reports errors in $(basename "$deb")" >&2; exit 1; }

echo "== apt-get install ./$(basename "$deb")"
export DEBIAN_FRONTEND=noninteractive
(cd "$build" && "${as_root[@]}" apt-get install -y -qq --reinstall "./$(basename "$deb")" >"$build/apt-install.log" 2>&1) \
  || { cat "$build/apt-install.log"; exit 1; }
trap '"${as_root[@]}" apt-get purge -y -qq quillet-mellanox >/dev/null' EXIT

echo "== from the installed files alone ($root and $build hidden)"
work="$(mktemp -d "${TMPDIR:-/tmp}/quillet-package-check.XXXXXX")"
trap '"${as_root[@]}" apt-get purge -y -qq quillet-mellanox >/dev/null; rm -rf "$work"' EXIT
cp -r "$root/tests/install/check_installed.sh" "$root/tests/install/consumer" "$work/"
"${as_root[@]}" unshare --mount bash -c '
  set -e
  for tree in "$@"; do mount -t tmpfs -o size=1m quillet-hidden "$tree"; done
  cd /
  echo "\$ quillet-mellanox inventory --simulate"
  quillet-mellanox inventory --simulate
  bash "$0/check_installed.sh" /usr "$0/check"
' "$work" "$build" "$root"

echo "== apt-get purge quillet-mellanox"
"${as_root[@]}" apt-get purge -y -qq quillet-mellanox >/dev/null
trap 'rm -rf "$work"' EXIT
[[ ! -e /usr/bin/quillet-mellanox ]] || { echo "FAILED: /usr/bin/quillet-mellanox left after purge" >&2; exit 1; }
echo "package check passed: $(basename "$deb")"
