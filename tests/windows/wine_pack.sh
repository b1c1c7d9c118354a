#!/usr/bin/env bash
# larkspan-pack.exe under Wine against the Linux larkspan-pack: for the same sample and the
# same stubs (Linux, x86 and x86-64 Windows) both write exactly the same package and
# installers, say the same on standard output and error, and end with the same status; the
# Windows tool finds each stub in the build trees by itself.
#   wine_pack.sh PACK_EXE LINUX_PACK LINUX_STUB X86_STUB X64_STUB SOURCE_DIR
set -euo pipefail
exe=$1 pack=$2 linux_stub=$3 x86_stub=$4 x64_stub=$5 source=$6
: "${WINEPREFIX:?}"
for f in "$exe" "$pack" "$linux_stub" "$x86_stub" "$x64_stub"; do
  if [ ! -f "$f" ]; then
    echo "missing $f: build the default, windows and windows-x86 presets first" >&2
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/check.sh"

# Each tool in a folder of its own (l/ for Linux, w/ for Windows) holding the same sample and
# stubs, run with the same relative arguments, so that what they print compares byte for byte.
for side in l w; do
  mkdir "$work/$side"
  cp -r "$source/sample" "$work/$side/sample"
  cp "$linux_stub" "$work/$side/linux-stub"
  cp "$x86_stub" "$work/$side/x86-stub.exe"
  cp "$x64_stub" "$work/$side/x64-stub.exe"
done
n=0
both() {  # both ARGS...: runs each tool; $work/{l,w}/N.{out,err,status}
  n=$((n + 1))
  local status
  status=0; (cd "$work/l" && timeout 120 "$pack" "$@" >"$n.out" 2>"$n.err") || status=$?
  echo "$status" >"$work/l/$n.status"
  status=0; (cd "$work/w" && timeout 120 wine "$exe" "$@" >"$n.out" 2>"$n.err" </dev/null) ||
    status=$?
  echo "$status" >"$work/w/$n.status"
}
same() {  # same WHAT: the last run printed and ended alike
  local part
  for part in out err status; do
    check "$1: the same $part" cmp -s "$work/l/$n.$part" "$work/w/$n.$part"
  done
}
status_is() {  # status_is WHAT STATUS
  check "$1: status $2" test "$(cat "$work/w/$n.status")" = "$2"
}
same_file() {  # same_file FILE: both tools wrote FILE with the same bytes
  check "$FILE_WHAT: the same bytes" cmp -s "$work/l/$1" "$work/w/$1"
}

both create sample -o s.vqm
same "create"
FILE_WHAT="create" same_file s.vqm
for stub in linux-stub x86-stub.exe x64-stub.exe; do
  both wrap --stub "$stub" --package s.vqm -o "$stub.setup"
  same "wrap $stub"
  FILE_WHAT="wrap $stub" same_file "$stub.setup"
done

# Without --stub the Windows tool takes the stubs of the build trees, as the Linux one does.
for choice in "linux:linux-stub" "windows:x86-stub.exe" "windows --arch x64:x64-stub.exe"; do
  platform=${choice%%:*} stub=${choice#*:}
  # shellcheck disable=SC2086 # the platform's words are options of their own
  (cd "$work/w" && timeout 120 wine "$exe" wrap --platform $platform --package s.vqm \
    -o "found-$stub" </dev/null)
  check "wrap --platform $platform finds its stub" \
    cmp -s "$work/l/$stub.setup" "$work/w/found-$stub"
done

# What they print, on good input and on bad.
both list x86-stub.exe.setup
same "list of an installer"
both verify linux-stub.setup
same "verify"
both extract x64-stub.exe.setup -C extracted
same "extract"
check "extract: the same files" diff -r "$work/l/extracted" "$work/w/extracted"
both preview x64-stub.exe.setup -o preview.png
same "preview"
check "preview: a PNG file" test "$(head -c 8 "$work/w/preview.png" | od -An -tx1 | tr -d ' \n')" = \
  89504e470d0a1a0a
both verify sample/title.jpg
same "verify of a picture"
status_is "verify of a picture" 1
printf 'damaged' >"$work/l/damaged.vqm"
cp "$work/l/damaged.vqm" "$work/w/damaged.vqm"
both list damaged.vqm
same "list of a damaged file"
status_is "list of a damaged file" 2
both create nowhere -o out.vqm
same "create of a missing folder"
status_is "create of a missing folder" 2
both wrap --platform linux --arch x64 --package s.vqm -o out
same "wrap with --arch for Linux"
status_is "wrap with --arch for Linux" 2
both frobnicate
same "unknown verb"
check "no output file of the failed runs" test ! -e "$work/w/out.vqm" -a ! -e "$work/w/out"
check "no temporary file left" test -z "$(find "$work" -name '.*.tmp-*')"

finish
