#!/usr/bin/env bash
# Real faults, not mocks: the wrapped installer on the console front end against a full
# disk, a folder where a file must go, read-only files and folders, and names too long for
# the file system. Needs root (for the private tmpfs mount and to switch to an unprivileged
# user, since root ignores permissions).
#   real_faults.sh LARKSPAN LARKSPAN_PACK
set -uo pipefail
stub=$1 pack=$2
if [ "$(id -u)" -ne 0 ] || ! unshare -m true 2>/dev/null; then
  echo "skipped: needs root and mount namespaces"
  exit 77
fi
work=$(mktemp -d)
chmod 755 "$work"
trap 'umount -l "$work"/*/Documents 2>/dev/null; rm -rf "$work"' EXIT
user=nobody
group=$(id -gn nobody 2>/dev/null || echo nogroup)

source "$(dirname "$0")/../support/check.sh"

# make_installer NAME SUBFOLDER [FILE SIZE]...: an installer whose object packs have those sizes.
make_installer() {
  local name=$1 sub=$2
  shift 2
  local src=$work/src-$name
  mkdir -p "$src/objectpacks" "$src/preview" "$src/tessel"
  head -c 2000 /dev/urandom >"$src/title.jpg"
  while [ $# -gt 0 ]; do
    head -c "$2" /dev/urandom >"$src/objectpacks/$1"
    shift 2
  done
  echo preview >"$src/preview/p.png"
  echo tessel >"$src/tessel/t.png"
  cat >"$src/package.json" <<JSON
{"name": "Faults", "description": "d", "requiredVersion": 1, "subfolder": "$sub",
 "subfolderEditable": true, "titleImage": "title.jpg"}
JSON
  "$pack" create "$src" -o "$work/$name.vqm" >/dev/null &&
    "$pack" wrap --stub "$stub" --package "$work/$name.vqm" -o "$work/$name" >/dev/null &&
    chmod 755 "$work/$name"
}

# new_home NAME: a home folder owned by the unprivileged user, with Documents.
new_home() {
  local home=$work/home-$1
  mkdir -p "$home/Documents" "$home/other"
  echo keep >"$home/other/file"
  chown -R "$user:$group" "$home"
  echo "$home"
}

# run_as HOME INPUT INSTALLER [unshare-prefix...]: the installer as the unprivileged user.
run_as() {
  local home=$1 input=$2 installer=$3
  printf "$input" | env -i PATH=/usr/bin:/bin HOME="$home" \
    setpriv --reuid="$user" --regid="$group" --clear-groups "$installer" >"$work/out" 2>&1
}

# snapshot HOME: every path outside Documents/QIB with its size, to prove nothing else changed.
snapshot() { (cd "$1" && find . -path ./Documents/QIB -prune -o -printf '%p %s\n' | sort); }

no_success() { ! grep -qF 'Premium template were installed.' "$work/out"; }
says() { grep -qF "$1" "$work/out"; }

files_dir='Do you have permission to write to the Files Directory?'
doc_dir='Do you have permission to write to the Document Directory?'

make_installer big Sub a.qop 1000 b.qop 3000000 c.qop 1000 || exit 1
make_installer small Sub a.qop 1000 b.qop 1000 || exit 1

# 1. A full disk: a small tmpfs as the documents folder in a private mount namespace; too
#    small for the staging file at 2.6 MB, too small for the second object pack at 4.5 MB.
full_disk() {  # full_disk NAME SIZE INPUT
  home=$(new_home "$1")
  before=$(snapshot "$home")
  printf "$3" | env -i PATH=/usr/bin:/bin HOME="$home" unshare -m sh -c \
    "mount -t tmpfs -o size=$2,mode=777 tmpfs '$home/Documents' &&
     setpriv --reuid=$user --regid=$group --clear-groups '$work/big' >'$work/out' 2>&1;
     find '$home/Documents' -printf '%P %s\n' >'$work/listing' 2>&1"
}
full_disk full-staging 2600k '\n\n'
check "full disk in staging: reported" says 'Failed to create temporary data file, extracting process aborted!'
check "full disk in staging: then the missing staging file" says "Error 5, Missing 'data.vqm' file in temporrary space"
check "full disk in staging: no success" no_success
check "full disk in staging: no incomplete staging file" bash -c "! grep -q data.vqm '$work/listing'"
check "full disk in staging: nothing else changed" test "$before" = "$(snapshot "$home")"
full_disk full-install 4500k 'i\n\n\n'
check "full disk in installation: reported" says "$files_dir"
check "full disk in installation: no success" no_success
check "full disk in installation: the incomplete file is gone" bash -c "! grep -q '^QIB/objectpacks/Sub/b.qop' '$work/listing'"
check "full disk in installation: the earlier file stays" grep -q '^QIB/objectpacks/Sub/a.qop 1000$' "$work/listing"
check "full disk in installation: staging file kept" grep -q '^QIB/temp/data.vqm ' "$work/listing"
check "full disk in installation: nothing else changed" test "$before" = "$(snapshot "$home")"

# 2. A link to /dev/full where an object pack goes: the link is replaced by the file, never
#    written through.
home=$(new_home devfull)
mkdir -p "$home/Documents/QIB/objectpacks/Sub" && ln -s /dev/full "$home/Documents/QIB/objectpacks/Sub/b.qop"
chown -R "$user:$group" "$home"
run_as "$home" 'i\n\n' "$work/small"
check "/dev/full link: success" says 'Premium template were installed.'
check "/dev/full link: replaced by a file" test -f "$home/Documents/QIB/objectpacks/Sub/b.qop" -a ! -L "$home/Documents/QIB/objectpacks/Sub/b.qop"
check "/dev/full link: the file is whole" cmp -s "$work/src-small/objectpacks/b.qop" "$home/Documents/QIB/objectpacks/Sub/b.qop"
check "/dev/full link: the device is still a device" test -c /dev/full

# 3. A folder where a file must go (the first object pack): asked, Yes, then refused.
home=$(new_home folder)
mkdir -p "$home/Documents/QIB/objectpacks/Sub/a.qop"
chown -R "$user:$group" "$home"
run_as "$home" 'i\ny\n\n' "$work/small"
check "folder in the way: asked first" says "The file 'a.qop' already exist."
check "folder in the way: reported" says "$files_dir"
check "folder in the way: no success" no_success
check "folder in the way: staging file kept" test -e "$home/Documents/QIB/temp/data.vqm"

# 4. A read-only staging file from an earlier start: the earlier package is shown.
home=$(new_home ro-staging)
mkdir -p "$home/Documents/QIB/temp" && cp "$work/small.vqm" "$home/Documents/QIB/temp/data.vqm"
chown -R "$user:$group" "$home" && chmod 444 "$home/Documents/QIB/temp/data.vqm"
run_as "$home" 'c\n' "$work/big"
check "read-only staging file: reported" says 'Failed to create temporary data file, extracting process aborted!'
check "read-only staging file: the earlier package is shown" says 'Name: Faults'
check "read-only staging file: kept unchanged" cmp -s "$work/small.vqm" "$home/Documents/QIB/temp/data.vqm"

# 5. A read-only install.jpg: the preview stops with the Document Directory message.
home=$(new_home ro-jpg)
mkdir -p "$home/Documents/QIB/temp" && echo old >"$home/Documents/QIB/temp/install.jpg"
chown -R "$user:$group" "$home" && chmod 444 "$home/Documents/QIB/temp/install.jpg"
run_as "$home" '\n\n\n' "$work/small"
check "read-only install.jpg: reported" says "$doc_dir"
check "read-only install.jpg: then Error 4" says 'Error 4, the templates were not installed'
check "read-only install.jpg: kept" grep -qx old "$home/Documents/QIB/temp/install.jpg"
check "read-only install.jpg: staging file kept" test -e "$home/Documents/QIB/temp/data.vqm"

# 6. A non-writable objectpacks folder.
home=$(new_home ro-objectpacks)
mkdir -p "$home/Documents/QIB/objectpacks"
chown -R "$user:$group" "$home" && chmod 555 "$home/Documents/QIB/objectpacks"
before=$(snapshot "$home")
run_as "$home" 'i\n\n' "$work/small"
check "read-only objectpacks: reported" says "$files_dir"
check "read-only objectpacks: no success" no_success
check "read-only objectpacks: nothing written there" test -z "$(ls -A "$home/Documents/QIB/objectpacks")"
check "read-only objectpacks: staging file kept" test -e "$home/Documents/QIB/temp/data.vqm"
check "read-only objectpacks: nothing else changed" test "$before" = "$(snapshot "$home")"

# 6b. A read-only object pack from an earlier installation: asked, Yes, then refused; the
#     file keeps its bytes and no temporary file stays beside it.
home=$(new_home ro-pack)
mkdir -p "$home/Documents/QIB/objectpacks/Sub" && echo old >"$home/Documents/QIB/objectpacks/Sub/a.qop"
chown -R "$user:$group" "$home" && chmod 444 "$home/Documents/QIB/objectpacks/Sub/a.qop"
run_as "$home" 'i\ny\n\n' "$work/small"
check "read-only object pack: reported" says "$files_dir"
check "read-only object pack: kept" grep -qx old "$home/Documents/QIB/objectpacks/Sub/a.qop"
check "read-only object pack: no temporary file" test -z "$(ls -A "$home/Documents/QIB/objectpacks/Sub" | grep -v '^a.qop$')"

# 7. A stored name too long for the file system (130 two-byte characters: 260 bytes), in a
#    package written here directly, since no source folder can hold such a file.
python3 - "$work/long.vqm" <<'PY'
import struct, sys
def s(t):
    u = t.encode('utf-16-le'); n = len(t)
    return b'\xff\xfe\xff' + (bytes([n]) if n < 255 else b'\xff' + struct.pack('<H', n)) + u
w = lambda v: struct.pack('<I', v)
body = w(856206) + s('QIB Multiarchive file') + w(1) + s('Sub') + w(1) + s('') + s('Faults') + s('d') + s('') + w(0)
body += s('titleimage') + s('') + w(0) + w(0)
body += s('objectpacks') + w(1) + s('\u00e9' * 130) + w(3) + b'abc' + w(0)
body += s('preview') + w(0) + s('tessel') + w(0) + s('end')
open(sys.argv[1], 'wb').write(body)
PY
"$pack" wrap --stub "$stub" --package "$work/long.vqm" -o "$work/long" >/dev/null && chmod 755 "$work/long"
home=$(new_home long)
run_as "$home" 'i\n\n' "$work/long"
check "long name: reported" says "$files_dir"
check "long name: no success" no_success
check "long name: staging file kept" test -e "$home/Documents/QIB/temp/data.vqm"

finish
