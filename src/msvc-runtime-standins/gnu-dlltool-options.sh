#!/bin/sh
# GNU dlltool's "--input-def DEF --output-lib LIB", as the project's CMake
# code writes it for MinGW, carried out by llvm-dlltool (LLVM_DLLTOOL).
set -eu
def= lib=
while [ $# -gt 0 ]; do
  case $1 in
    --input-def) def=$2; shift 2 ;;
    --output-lib) lib=$2; shift 2 ;;
    *) echo "gnu-dlltool-options.sh: option not handled: $1" >&2; exit 2 ;;
  esac
done
exec "${LLVM_DLLTOOL:-llvm-dlltool-19}" -m i386:x86-64 -d "$def" -l "$lib"
