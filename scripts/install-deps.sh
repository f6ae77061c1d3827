#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need.
# Idempotent; run as root (or with sudo available).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libcurl4-openssl-dev libssl-dev openssl libpugixml-dev nlohmann-json3-dev
  libcpp-httplib-dev libcli11-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  sblim-wbemcli valgrind jq
  libboost-dev
)
# The suites that drive outside programs: Prometheus and node_exporter for the
# metrics, Ansible and its linters for the collection.
if [[ "${QUILLET_WITH_INTEGRATION:-0}" == 1 ]]; then
  packages+=(prometheus prometheus-node-exporter)
  packages+=(ansible-core pylint yamllint python3-pycodestyle python3-voluptuous python3-pytest
             python3-pytest-xdist python3-pytest-forked python3-venv shellcheck)
fi
if [[ "${QUILLET_WITH_WINDOWS:-0}" == 1 ]]; then
  packages+=(g++-mingw-w64-x86-64 wine wine64)
  # The Microsoft-ABI build: clang-cl, lld-link, llvm-lib/dlltool/readobj and Wine's headers.
  packages+=(clang-19 lld-19 llvm-19 libwine-dev)
fi
if [[ "${QUILLET_WITH_FUZZ:-0}" == 1 ]]; then
  packages+=(clang libclang-rt-14-dev)
fi
if [[ "${QUILLET_WITH_PACKAGING:-0}" == 1 ]]; then
  packages+=(lintian)
fi

as_root=()
if [[ "$(id -u)" != 0 ]]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
