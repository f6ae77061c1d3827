#!/bin/sh
# The DLL of the clang-cl build has Microsoft's C++ ABI: the facade's
# constructors, destructor and five operations are exported under their
# Microsoft-decorated names and nothing under an Itanium (_Z) name; it imports
# Microsoft's C++ runtime and nothing of MinGW's (libstdc++, libgcc,
# winpthread); and no import is one that only Wine's DLLs export.
#   check-msvc-abi-dll.sh LLVM_READOBJ DLL
set -eu
readobj=$1
dll=$2
exports=$("$readobj" --coff-exports "$dll" | sed -n 's/^ *Name: //p')
imports=$("$readobj" --coff-imports "$dll")
failed=0

# The decorated names of what a framework built with Microsoft's compiler links to.
mellanox_std_string='V?$basic_string@DU?$char_traits@D@std@@V?$allocator@D@2@@std@@'
for name in \
  '??0Mellanox@0Quillet@@QEAA@XZ' \
  '??0Mellanox@0Quillet@@QEAA@AEBUConnectionInfo@QuilletConnection@1@@Z' \
  '??1Mellanox@0Quillet@@QEAA@XZ' \
  '?GetStructuredInfo@Mellanox@1Quillet@@QEAAHAEAUStructuredInfo_@12@@Z' \
  '?GetSoftwareIdentities@Mellanox@1Quillet@@QEAAHAEAV?$vector@USoftwareIdentity_@QLOptions@Quillet@@V?$allocator@USoftwareIdentity_@QLOptions@Quillet@@@std@@@std@@@Z' \
  "?GetDiagItems@Mellanox@1Quillet@@QEAAHAEAV?\$vector@${mellanox_std_string}V?\$allocator@${mellanox_std_string}@2@@std@@@Z" \
  "?RunDiagnostic@Mellanox@1Quillet@@QEAAHAEB${mellanox_std_string}AEAUDiagnosticRecord_@QuilletIHV@2@@Z" \
  '?GetRawData@Mellanox@1Quillet@@QEAAHAEAV?$vector@URawData_@QuilletIHV@Quillet@@V?$allocator@URawData_@QuilletIHV@Quillet@@@std@@@std@@V?$basic_string@DU?$char_traits@D@std@@V?$allocator@D@2@@4@@Z'
do
  if ! printf '%s\n' "$exports" | grep -qxF "$name"; then
    echo "FAIL: $dll does not export $name" >&2
    failed=1
  fi
done
itanium=$(printf '%s\n' "$exports" | grep '^_Z' || true)
if [ -n "$itanium" ]; then
  echo "FAIL: $dll exports Itanium-mangled (GCC/MinGW) names:" >&2
  printf '%s\n' "$itanium" >&2
  failed=1
fi

dlls=$(printf '%s\n' "$imports" | sed -n 's/^  Name: //p' | tr 'A-Z' 'a-z')
for runtime in vcruntime140.dll msvcp140.dll ucrtbase.dll; do
  if ! printf '%s\n' "$dlls" | grep -qxF "$runtime"; then
    echo "FAIL: $dll does not import Microsoft's runtime $runtime" >&2
    failed=1
  fi
done
mingw=$(printf '%s\n' "$dlls" | grep -E '^(libstdc\+\+|libgcc|libwinpthread)|^msvcrt\.dll$' || true)
if [ -n "$mingw" ]; then
  echo "FAIL: $dll imports MinGW's runtime:" >&2
  printf '%s\n' "$mingw" >&2
  failed=1
fi
wine_only=$(printf '%s\n' "$imports" | sed -n 's/^ *Symbol: \([^ ]*\).*/\1/p' | grep -E '^(__wine|wine_|__chkstk$)' || true)
if [ -n "$wine_only" ]; then
  echo "FAIL: $dll imports names that Windows' DLLs do not export:" >&2
  printf '%s\n' "$wine_only" >&2
  failed=1
fi
[ "$failed" -eq 0 ] || exit 1
echo "$dll: $(printf '%s\n' "$exports" | wc -l) Microsoft-decorated exports; imports: $(echo $dlls)"
