#!/usr/bin/env bash
# Lists the C++ symbols the module exports and checks that they are the
# facade's constructors, destructor and five operations, and nothing else of ours.
set -euo pipefail
library="$1"
exported="$(nm -D --defined-only "$library" | c++filt | awk '{ $1=""; $2=""; sub(/^  /, ""); print }')"
echo "$exported" | grep -E 'Quillet|Pegasus|Cim|Mellanox' | sort

expect() {
  if ! grep -qF -- "$1" <<<"$exported"; then
    echo "missing export: $1" >&2
    exit 1
  fi
}
expect 'Quillet::Mellanox::Mellanox::Mellanox()'
expect 'Quillet::Mellanox::Mellanox::Mellanox(Quillet::QuilletConnection::ConnectionInfo const&)'
expect 'Quillet::Mellanox::Mellanox::~Mellanox()'
expect 'Quillet::Mellanox::Mellanox::GetStructuredInfo('
expect 'Quillet::Mellanox::Mellanox::GetSoftwareIdentities('
expect 'Quillet::Mellanox::Mellanox::GetDiagItems('
expect 'Quillet::Mellanox::Mellanox::RunDiagnostic('
expect 'Quillet::Mellanox::Mellanox::GetRawData('

internal="$(grep -E 'MellanoxImpl|MellanoxCim|MellanoxUtil|CimFunc|Pegasus::|OsSpecific' <<<"$exported" || true)"
if [[ -n "$internal" ]]; then
  echo "internal symbols exported:" >&2
  echo "$internal" >&2
  exit 1
fi
echo "exports OK"
