#!/usr/bin/env bash
# An installed file is the user's old one or the whole new one, never a part: the wrapped
# installer on the console front end, against a disk that fills on an object pack that is
# already installed (as root, in a private mount namespace with a small tmpfs), and killed
# with SIGKILL in the middle of a large entry; the next run clears what a killed run left.
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
  printf 'i\n\n\n' | env -i PATH=/usr/bin:/bin HOME="$home" timeout 120 unshare -m sh -c "
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
#    the overwrite question): stopped as soon as the new file has bytes, then killed. The new
#    file has no name until it is complete (O_TMPFILE): the installer's descriptor for it is
#    one it did not have when the dialog was shown, open on a non-empty regular file other
#    than the staging file.
home=$work/home-kill
qib=$home/Documents/QIB
packs=$qib/objectpacks/Sub
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
declare -A before=()
for fd in /proc/"$pid"/fd/*; do
  before[$fd]=1
done
printf 'i\ny\n' >&3
caught= written=
deadline=$((SECONDS + 60))
while kill -0 "$pid" 2>/dev/null && [ -z "$caught" ] && [ "$SECONDS" -lt "$deadline" ]; do
  for fd in /proc/"$pid"/fd/*; do  # builtins only: no process per look
    if [ -z "${before[$fd]:-}" ] && [ -f "$fd" ] && [ -s "$fd" ] &&
      ! [ "$fd" -ef "$qib/temp/data.vqm" ]; then
      kill -STOP "$pid"
      caught=$(stat -L -c %s "$fd")
      written=$(readlink "$fd")
      break
    fi
  done
done
echo "stopped with a new file of ${caught:-?} bytes: ${written:-?}"
check "kill: stopped in the middle of an entry" test "${caught:-0}" -gt 0 -a "${caught:-0}" -lt 128000000
check "kill: the file being written has no name in its folder" \
  bash -c '[[ $1 == "$2/#"*" (deleted)" ]]' - "$written" "$packs"
only_complete() {  # only_complete: the folder holds the old big.qop and nothing else
  [ "$(ls -A "$packs")" = big.qop ] && grep -qx 'the old big.qop' "$packs/big.qop"
}
check "kill: while stopped mid-entry, the folder holds only complete files" only_complete
kill -9 "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exec 3>&-
pid=
check "kill: after the kill, the folder holds only complete files" only_complete
check "kill: no success" bash -c "! grep -qF '$installed' '$work/out'"
check "kill: no temporary file anywhere" no_temporaries "$qib"

# 3. The next run removes what a run killed while writing under a temporary name left (as on
#    a file system without unnamed files, or on Windows) in the folders it writes to, and
#    nothing else: not other names, not other folders (temp/ takes no file of this package,
#    which has no title image).
mkdir -p "$qib/Preview" "$qib/Tessel"
left=("$packs/~lks0badf00d.tmp" "$qib/Preview/~lks12345678.tmp" "$qib/Tessel/~lksABCDEF01.tmp")
kept=("$packs/~lks0badf00d.tmp.keep" "$packs/~lks0badf0.tmp" "$packs/lks0badf00d.tmp"
  "$qib/objectpacks/~lks11111111.tmp" "$qib/~lks33333333.tmp" "$qib/temp/~lks2468ace0.tmp")
for f in "${left[@]}" "${kept[@]}"; do
  head -c 1000 /dev/urandom >"$f"
done
mkdir "$packs/~lks55555555.tmp"
printf 'i\ny\n\n' | timeout 120 env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" \
  XDG_CONFIG_HOME="$home/.config" "$work/large" >"$work/out" 2>&1
check "later run: success" says "$installed"
for f in big.qop c.qop; do
  check "later run: $f whole" cmp -s "$work/src-large/objectpacks/$f" "$packs/$f"
done
for f in "${left[@]}"; do
  check "later run: removed ${f#"$qib"/}" test ! -e "$f"
done
for f in "${kept[@]}" "$packs/~lks55555555.tmp"; do
  check "later run: kept ${f#"$qib"/}" test -e "$f"
done
check "later run: nothing else of that kind" test "$(find "$qib" -name '~lks*' | sort)" = \
  "$(printf '%s\n' "${kept[@]}" "$packs/~lks55555555.tmp" | grep '/~lks[^/]*$' | sort)"

finish
