#!/bin/sh
# The shipped DLL exports the facade class alone and needs no MinGW runtime
# DLL at load time: only Windows' own DLLs and the framework's two.
#   check-dll-imports-exports.sh OBJDUMP DLL
set -eu
objdump=$1
dll=$2
dump=$("$objdump" -p "$dll")

# Name lines read "[   0] NAME"; ordinal lines "[   0] +base[   1] ...".
exports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*\[ *[0-9]*\] \([^+].*\)$/\1/p')
if [ -z "$exports" ]; then
  echo "FAIL: $dll exports nothing" >&2
  exit 1
fi
foreign=$(printf '%s\n' "$exports" | grep -v '^_ZN7Quillet8Mellanox8Mellanox' || true)
if [ -n "$foreign" ]; then
  echo "FAIL: $dll exports more than Quillet::Mellanox::Mellanox:" >&2
  printf '%s\n' "$foreign" >&2
  exit 1
fi

imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
unexpected=$(printf '%s\n' "$imports" |
  grep -v -x -e kernel32.dll -e msvcrt.dll -e ws2_32.dll -e xmllite.dll -e crypt32.dll \
    -e secur32.dll -e advapi32.dll -e iphlpapi.dll \
    -e quillet_log.dll -e quillet_cimom.dll || true)
if [ -n "$unexpected" ]; then
  echo "FAIL: $dll needs DLLs that Windows does not bring:" >&2
  printf '%s\n' "$unexpected" >&2
  exit 1
fi
echo "$dll exports $(printf '%s\n' "$exports" | wc -l) facade symbols and imports: $(echo $imports)"
