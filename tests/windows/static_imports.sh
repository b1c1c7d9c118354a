#!/usr/bin/env bash
# The libraries a Windows program imports, as its import table names them, against the set
# the installer may import: KERNEL32, USER32, GDI32, SHELL32, SHLWAPI and msvcrt are in the
# known set of Windows 7 and later, which the system never looks for beside the program;
# COMCTL32 is bound by the manifest to its side-by-side assembly. Anything else (GDI+, the
# documents folder's SHFOLDER.DLL) is loaded while running, from the system folder.
#   static_imports.sh OBJDUMP PROGRAM
set -euo pipefail
objdump=$1 program=$2
source "$(dirname "$0")/../support/check.sh"

expected='COMCTL32.dll
GDI32.dll
KERNEL32.dll
msvcrt.dll
SHELL32.dll
SHLWAPI.dll
USER32.dll'
# Library names are compared as Windows does, in any case (the x86 linker writes COMCTL32.DLL).
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort)
expected=$(tr 'a-z' 'A-Z' <<<"$expected" | sort)
check "the installer imports exactly the known libraries and the common controls" \
  test "$imports" = "$expected"
[ "$failures" -eq 0 ] || printf 'it imports:\n%s\n' "$imports"
finish
