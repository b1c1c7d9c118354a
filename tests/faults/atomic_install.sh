#!/usr/bin/env bash
# An installed file is the user's old one or the whole new one, never a part: the wrapped
# installer on the console front end, against a disk that fills on an object pack that is
# already installed (as root, in a private mount namespace with a small tmpfs), and killed
# with SIGKILL in the middle of a large entry.
#   atomic_install.sh LARKSPAN LARKSPAN_PACK
set -uo pipefail
stub=$1 pack=$2
work=$(mktemp -d)
chmod 755 "$work"
trap 'kill -9 "${pid:-}" 2>/dev/null; rm -rf "$work"' EXIT
user=nobody
group=$(id -gn nobody 2>/dev/null || echo nogroup)

source "$(dirname "$0")/../support/check.sh"

# make_installer NAME [FILE SIZE]...: an installer (subfolder "Sub") whose object packs have
# those sizes; their bytes stay in $work/src-NAME/objectpacks for comparison.
make_installer() {
  local name=$1
  shift
  local src=$work/src-$name
  mkdir -p "$src/objectpacks" "$src/tessel"
  while [ $# -gt 0 ]; do
    head -c "$2" /dev/urandom >"$src/objectpacks/$1"
    shift 2
  done
  echo tessel >"$src/tessel/t.png"
  cat >"$src/package.json" <<JSON
{"name": "Atomic", "description": "d", "requiredVersion": 1, "subfolder": "Sub",
 "subfolderEditable": true}
JSON
  "$pack" create "$src" -o "$work/$name.vqm" >/dev/null &&
    "$pack" wrap --stub "$stub" --package "$work/$name.vqm" -o "$work/$name" >/dev/null &&
    chmod 755 "$work/$name"
}

says() { grep -qF "$1" "$work/out"; }
no_temporaries() { [ -z "$(find "$1" -name '~lks*' -print -quit)" ]; }
files_dir='Do you have permission to write to the Files Directory?'
installed='Premium template were installed.'

make_installer full a.qop 1000 b.qop 3000000 c.qop 1000 || exit 1
make_installer large big.qop 128000000 c.qop 1000 || exit 1

# 1. The disk fills while the second object pack, installed before, is written: a tmpfs of
#    4.5 MB holds the staging file (3 MB) and the old b.qop, not the new one beside it.
if [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null; then
  home=$work/home-full
  mkdir -p "$home/Documents"
  chown -R "$user:$group" "$home"
  printf 'i\n\n\n' | env -i PATH=/usr/bin:/bin HOME="$home" unshare -m sh -c "
    mount -t tmpfs -o size=4500k,mode=777 tmpfs '$home/Documents' &&
    mkdir -p '$home/Documents/QIB/objectpacks/Sub' &&
    echo 'the old b.qop' >'$home/Documents/QIB/objectpacks/Sub/b.qop' &&
    chown -R $user:$group '$home/Documents/QIB' &&
    setpriv --reuid=$user --regid=$group --clear-groups '$work/full' >'$work/out' 2>&1;
    cp -a '$home/Documents/QIB' '$work/after-full'"
  check "full disk: reported" says "$files_dir"
  check "full disk: no success" bash -c "! grep -qF '$installed' '$work/out'"
  check "full disk: the installed b.qop keeps its old bytes" \
    grep -qx 'the old b.qop' "$work/after-full/objectpacks/Sub/b.qop"
  check "full disk: the earlier object pack is complete" \
    cmp -s "$work/src-full/objectpacks/a.qop" "$work/after-full/objectpacks/Sub/a.qop"
  check "full disk: no temporary file left" no_temporaries "$work/after-full"
  check "full disk: staging file kept" test -e "$work/after-full/temp/data.vqm"
else
  echo "skipped: the full disk needs root and mount namespaces"
fi

# 2. Killed with SIGKILL while the 128 MB first entry is written over an older big.qop (after
#    the overwrite question): stopped as soon as its temporary file has bytes, then killed.
home=$work/home-kill
packs=$home/Documents/QIB/objectpacks/Sub
mkdir -p "$packs"
echo 'the old big.qop' >"$packs/big.qop"
mkfifo "$work/in"
env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/.config" \
  "$work/large" <"$work/in" >"$work/out" 2>&1 &
pid=$!
exec 3>"$work/in"
for _ in $(seq 600); do
  grep -q '^Install Into Subfolder' "$work/out" 2>/dev/null && break
  sleep 0.05
done
printf 'i\ny\n' >&3
caught=
shopt -s nullglob
while kill -0 "$pid" 2>/dev/null && [ -z "$caught" ]; do
  for temporary in "$packs"/~lks*.tmp; do  # a builtin loop: no process per look
    if [ -s "$temporary" ]; then
      kill -STOP "$pid"
      caught=$(stat -c %s "$temporary")
      break
    fi
  done
done
shopt -u nullglob
kill -9 "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exec 3>&-
pid=
echo "stopped with a temporary file of ${caught:-?} bytes"
check "kill: stopped in the middle of an entry" test "${caught:-0}" -gt 0 -a "${caught:-0}" -lt 128000000
whole_or_old() {  # whole_or_old NAME: missing, the old file, or the whole new one
  local f=$packs/$1
  [ ! -e "$f" ] || grep -qx "the old $1" "$f" || cmp -s "$work/src-large/objectpacks/$1" "$f"
}
for f in big.qop c.qop; do
  check "kill: $f is missing, the old one or the whole new one" whole_or_old "$f"
done
check "kill: no success" bash -c "! grep -qF '$installed' '$work/out'"
leftover=$(find "$packs" -name '~lks*' | wc -l)
echo "temporary files left by the killed run: $leftover"

# A later run is not disturbed by what the killed one left: it asks, installs everything
# whole, and its own temporary files are gone.
printf 'i\ny\n\n' | env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" \
  XDG_CONFIG_HOME="$home/.config" "$work/large" >"$work/out" 2>&1
check "later run: success" says "$installed"
for f in big.qop c.qop; do
  check "later run: $f whole" cmp -s "$work/src-large/objectpacks/$f" "$packs/$f"
done
check "later run: no temporary file of its own" \
  test "$(find "$home/Documents/QIB" -name '~lks*' | wc -l)" -eq "$leftover"

finish
