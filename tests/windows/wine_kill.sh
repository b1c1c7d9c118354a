#!/usr/bin/env bash
# Killed in the middle of an entry under Wine, the installer leaves the destination as it was
# (Windows has no files without a name, so its temporary file stays), and the next run
# installs everything whole and removes what the killed one left.
#   wine_kill.sh SCRIPTED_INSTALLER LARKSPAN_PACK
# WINEPREFIX and HOME come from the test: the prefix's documents folder is $HOME.
set -uo pipefail
scripted=$1 pack=$2
: "${WINEPREFIX:?}" "${HOME:?}"
work=$(mktemp -d)
trap 'kill -9 "${pid:-}" 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/check.sh"

qib=$HOME/QIB
packs=$qib/objectpacks/Sub
rm -rf "$qib"
mkdir -p "$work/src/objectpacks" "$packs"
head -c 160000000 /dev/urandom >"$work/src/objectpacks/big.qop"
echo small >"$work/src/objectpacks/small.qop"
cat >"$work/src/package.json" <<JSON
{"name": "Killed", "description": "d", "requiredVersion": 1, "subfolder": "Sub",
 "subfolderEditable": true}
JSON
"$pack" create "$work/src" -o "$work/k.vqm" >/dev/null &&
  "$pack" wrap --stub "$scripted" --package "$work/k.vqm" -o "$work/kill-setup.exe" >/dev/null ||
  exit 1
echo 'the old big.qop' >"$packs/big.qop"

# Stopped as soon as the temporary file beside big.qop has bytes, then killed.
wine "$work/kill-setup.exe" >"$work/out" 2>&1 </dev/null &
pid=$!
caught=
deadline=$((SECONDS + 120))
shopt -s nullglob
while kill -0 "$pid" 2>/dev/null && [ -z "$caught" ] && [ "$SECONDS" -lt "$deadline" ]; do
  for temporary in "$packs"/~lks*.tmp; do  # a builtin loop: no process per look
    if [ -s "$temporary" ]; then
      kill -9 "$pid"
      caught=$(stat -c %s "$temporary")
      break
    fi
  done
done
shopt -u nullglob
kill -9 "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
pid=
wineserver --wait
echo "killed with a temporary file of ${caught:-?} bytes"
check "kill: killed in the middle of an entry" test "${caught:-0}" -gt 0 -a "${caught:-0}" -lt 160000000
check "kill: big.qop is the old one" grep -qx 'the old big.qop' "$packs/big.qop"
check "kill: no success" bash -c "! grep -qF 'Premium template were installed.' '$work/out'"
left=$(find "$packs" -name '~lks*.tmp' | wc -l)
check "kill: the killed run left its temporary file" test "$left" -eq 1

# The next run: everything whole, and the folder holds only complete files.
timeout 200 wine "$work/kill-setup.exe" >"$work/out" 2>&1 </dev/null
check "next run: success" grep -qF 'Premium template were installed.' "$work/out"
for f in big.qop small.qop; do
  check "next run: $f whole" cmp -s "$work/src/objectpacks/$f" "$packs/$f"
done
check "next run: the folder holds only complete files" \
  test "$(ls -A "$packs" | tr '\n' ' ')" = 'big.qop small.qop '
rm -rf "$qib"
finish
