#!/usr/bin/env bash
# The Linux installer starts without the toolkit: it needs nothing but the C library to load,
# and with a display named but GTK impossible to load it says why in one line and installs
# through the console.
#   self_contained.sh LARKSPAN LARKSPAN_PACK SOURCE_DIR
set -uo pipefail
stub=$1 pack=$2 source=$3
source "$(dirname "$0")/../support/check.sh"

needed=$(readelf -d "$stub" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | tr '\n' ' ')
check "needs only the C library to load (NEEDED: $needed)" \
  bash -c "[ -z \"\$(printf '%s\n' $needed | grep -vxE 'libc\.so\.6|libm\.so\.6|ld-linux-x86-64\.so\.2')\" ]"

# Hiding the toolkit takes a private mount namespace, which takes root.
if [ "$(id -u)" -ne 0 ] || ! unshare -m true 2>/dev/null; then
  if [ "${CI:-}" = true ]; then
    check "root and mount namespaces to hide the toolkit" false
    finish
  fi
  echo "skipped: hiding the toolkit needs root"
  [ "$failures" -eq 0 ] && exit 77
  finish
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$pack" create "$source/sample" -o "$work/s.vqm" >/dev/null
"$pack" wrap --stub "$stub" --package "$work/s.vqm" -o "$work/inst"
gtk=$(readlink -f "$(ldconfig -p | sed -n 's/.*libgtk-3\.so\.0 (libc6,x86-64) => //p' | head -n 1)")
check "the toolkit library is found to hide" test -f "$gtk"

home=$work/home
mkdir -p "$home"
printf 'i\n\n' | unshare -m bash -c '
  mount --bind /dev/null "$1" || exit 90
  exec env DISPLAY=:77 HOME="$2" XDG_CONFIG_HOME="$2/.config" "$3"' _ "$gtk" "$home" "$work/inst" \
  >"$work/out" 2>"$work/err"
status=$?
check "the installer ends normally (exit $status)" test "$status" -eq 0
check "one line on standard error says why" \
  bash -c "[ \"\$(wc -l <'$work/err')\" -eq 1 ] && grep -q '^larkspan: cannot load the desktop front end: .*; using the console$' '$work/err'"
check "the console front end shows the dialog" grep -q '^Name: Larkspan Sample Templates$' "$work/out"
check "the success box" grep -qF 'Premium template were installed.' "$work/out"
for f in "$source"/sample/objectpacks/*; do
  check "object pack $(basename "$f") installed" \
    cmp -s "$f" "$home/Documents/QIB/objectpacks/Larkspan Sample/$(basename "$f")"
done
check "the toolkit is there again outside the namespace" test -s "$gtk"
finish
