#!/usr/bin/env bash
# CTest install_consumer: install_consumer_test.sh BUILD_DIR SOURCE_DIR
# Installs the build into a temporary prefix, then runs check_installed.sh
# on it with the source and build trees hidden behind empty folders (a
# private mount namespace), so that anything the installed files still take
# from those trees fails. Without mount namespaces the check runs unhidden
# and says so.
set -euo pipefail
build="$(realpath "$1")"
source="$(realpath "$2")"
work="$(mktemp -d "${TMPDIR:-/tmp}/quillet-install-test.XXXXXX")"
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 \
  || { cat "$work/install.log"; echo "FAILED: cmake --install $build" >&2; exit 1; }
# The checks and the consumer's sources must stay visible.
cp -r "$(dirname "$0")/check_installed.sh" "$(dirname "$0")/consumer" "$work/"

hide_and_check=$(cat <<'SCRIPT'
set -e
for tree in "$@"; do mount -t tmpfs -o size=1m quillet-hidden "$tree"; done
cd /
exec bash "$QUILLET_WORK/check_installed.sh" "$QUILLET_WORK/prefix" "$QUILLET_WORK/check"
SCRIPT
)
export QUILLET_WORK="$work"
case "$work/" in
  "$source/"* | "$build/"*) namespace=() ;;  # hiding the trees would hide the work folder too
  *) if unshare --mount true 2>/dev/null; then namespace=(unshare --mount)
     elif unshare --map-root-user --mount true 2>/dev/null; then namespace=(unshare --map-root-user --mount)
     else namespace=(); fi ;;
esac
if [[ ${#namespace[@]} -gt 0 ]]; then
  echo "== checks with $source and $build hidden"
  "${namespace[@]}" bash -c "$hide_and_check" hide "$build" "$source"
else
  echo "NOTE: no private mount namespace here; the source and build trees stay visible"
  bash "$work/check_installed.sh" "$work/prefix" "$work/check"
fi
