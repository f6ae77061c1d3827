#!/usr/bin/env bash
# The main job: installs what is needed, builds, and takes the inventory of a
# simulated server with two Mellanox adapters.
# It shares build/ with scripts/test.sh (same options) and builds only the
# tool and what the tool starts.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
QUILLET_BUILD_TARGETS="quillet-mellanox mlnx-cimsim fake_mft_tools" "$root/scripts/build.sh" "$root/build"
exec "$root/build/bin/quillet-mellanox" inventory --simulate "$@"
