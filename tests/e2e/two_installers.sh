#!/usr/bin/env bash
# Two installers of different packages at once, on the console front end: the first waits
# at its dialog while the second starts. The second must leave the staging file alone (it
# says it could not write it and shows the package that is there); the first then installs
# exactly its own package.
#   two_installers.sh LARKSPAN LARKSPAN_PACK
set -uo pipefail
stub=$1 pack=$2
work=$(mktemp -d)
trap 'kill -9 "${pid:-}" 2>/dev/null; rm -rf "$work"' EXIT

source "$(dirname "$0")/../support/check.sh"

make_installer() {  # make_installer NAME: package "NAME" with objectpacks/NAME.qop
  local src=$work/src-$1
  mkdir -p "$src/objectpacks" "$src/tessel"
  head -c 300000 /dev/urandom >"$src/objectpacks/$1.qop"
  head -c 1000 /dev/urandom >"$src/tessel/shared.tsl"
  cat >"$src/package.json" <<JSON
{"name": "$1", "description": "d", "requiredVersion": 1, "subfolder": "Both",
 "subfolderEditable": true}
JSON
  "$pack" create "$src" -o "$work/$1.vqm" >/dev/null &&
    "$pack" wrap --stub "$stub" --package "$work/$1.vqm" -o "$work/$1" >/dev/null
}
make_installer first || exit 1
make_installer second || exit 1

home=$work/home
docs=$home/Documents/QIB
mkdir -p "$home"
run() {  # run INSTALLER: on the console, input from standard input
  env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/.config" "$1"
}

# The first installer, its input held open on a FIFO, waits at its dialog.
mkfifo "$work/in"
run "$work/first" <"$work/in" >"$work/out1" 2>&1 &
pid=$!
exec 3>"$work/in"
for _ in $(seq 600); do
  grep -q '^Install Into Subfolder' "$work/out1" 2>/dev/null && break
  sleep 0.05
done
check "first: dialog shown" grep -q '^Name: first$' "$work/out1"

# The second starts, reports, shows what is staged and is cancelled.
printf 'c\n' | run "$work/second" >"$work/out2" 2>&1
check "second: cannot write the staging file" \
  grep -qF 'Failed to create temporary data file, extracting process aborted!' "$work/out2"
check "second: shows the package that is staged" grep -q '^Name: first$' "$work/out2"
check "second: the staging file is the first's, untouched" cmp -s "$work/first.vqm" "$docs/temp/data.vqm"

# The first installs.
printf 'i\n\n' >&3
exec 3>&-
wait "$pid"
pid=
check "first: success" grep -qF 'Premium template were installed.' "$work/out1"
check "first: its object pack" cmp -s "$work/src-first/objectpacks/first.qop" "$docs/objectpacks/Both/first.qop"
check "first: its tessel" cmp -s "$work/src-first/tessel/shared.tsl" "$docs/Tessel/shared.tsl"
check "first: nothing of the second package" test ! -e "$docs/objectpacks/Both/second.qop"
check "first: staging file removed" test ! -e "$docs/temp/data.vqm"

# Once the first has ended, the second stages and installs its own package.
printf 'i\ny\n\n' | run "$work/second" >"$work/out2" 2>&1
check "second, later: no staging message" bash -c "! grep -qF 'Failed to create' '$work/out2'"
check "second, later: its own package" grep -q '^Name: second$' "$work/out2"
check "second, later: installed" cmp -s "$work/src-second/objectpacks/second.qop" "$docs/objectpacks/Both/second.qop"

finish
