#!/usr/bin/env bash
# A whole console installation of the sample under valgrind's memcheck: no leak, no
# invalid access, no uninitialised value reaches a decision.
#   valgrind_install.sh LARKSPAN LARKSPAN_PACK SOURCE_DIR
set -euo pipefail
stub=$1 pack=$2 source=$3
command -v valgrind >/dev/null || { echo "skipped: no valgrind"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$pack" create "$source/sample" -o "$work/s.vqm" >/dev/null
"$pack" wrap --stub "$stub" --package "$work/s.vqm" -o "$work/inst" >/dev/null
mkdir -p "$work/home"
printf 'i\n\n' | env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" \
  valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect,possible \
  --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=3 --track-origins=yes \
  "$work/inst" >"$work/out" 2>"$work/valgrind"
status=$?
grep -E "ERROR SUMMARY|definitely|indirectly|possibly" "$work/valgrind" || true
grep -qF 'Premium template were installed.' "$work/out" || { echo "the installation did not succeed"; cat "$work/out"; exit 1; }
test -e "$work/home/Documents/QIB/objectpacks/Larkspan Sample/brush-flat.qop"
exit $status
