#!/usr/bin/env bash
# The main job: installs what is needed, builds, and takes the inventory of a
# simulated server with two Mellanox adapters.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF
exec "$root/build/bin/quillet-mellanox" inventory --simulate "$@"
