#!/usr/bin/env bash
# The real wrapped installer, driven through the console front end on a pipe.
#   console_install.sh LARKSPAN LARKSPAN_PACK SOURCE_DIR
set -euo pipefail
stub=$1 pack=$2 source=$3
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT

source "$(dirname "$0")/../support/check.sh"

run() {  # run HOME INPUT INSTALLER: the installer on a pipe, without a display
  local home=$1 input=$2 installer=$3
  mkdir -p "$home"
  printf "$input" | env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    "$installer" >"$work/out" 2>&1 || true
}

"$pack" create "$source/sample" -o "$work/s.vqm"
"$pack" wrap --stub "$stub" --package "$work/s.vqm" -o "$work/inst"

# A bare stub: no payload.
run "$work/h0" '\n\n' "$stub"
check "bare stub reports the missing payload, then the missing staging file" \
  grep -qzF $'[!] larkspan\nFailed to extract the data, extracting process aborted!\n(press Enter for OK)\n[!] larkspan\nError 5, Missing \'data.vqm\' file in temporrary space' "$work/out"
check "bare stub never shows the dialog" bash -c "! grep -q 'QIB Template Install' '$work/out'"

# Install with the proposed subfolder, then close the success box.
home=$work/h1
run "$home" 'i\n\n' "$work/inst"
docs=$home/Documents/QIB
check "dialog shows the sample's fields" grep -q '^Name: Larkspan Sample Templates$' "$work/out"
check "success message" grep -qF 'Premium template were installed.' "$work/out"
check "staging file removed" test ! -e "$docs/temp/data.vqm"
check "title image copy kept" test -s "$docs/temp/install.jpg"
for f in "$source"/sample/objectpacks/*; do
  check "object pack $(basename "$f")" cmp -s "$f" "$docs/objectpacks/Larkspan Sample/$(basename "$f")"
done
for f in "$source"/sample/preview/*; do
  check "preview $(basename "$f")" cmp -s "$f" "$docs/Preview/Larkspan Sample_$(basename "$f")"
done
for f in "$source"/sample/tessel/*; do
  check "tessel $(basename "$f")" cmp -s "$f" "$docs/Tessel/$(basename "$f")"
done

# A second run asks before overwriting; No stops, end of input then cancels.
run "$home" 'i\nn\n' "$work/inst"
check "overwrite question" grep -qF "[?] inst" "$work/out"
check "answer No keeps the staging file" test -e "$docs/temp/data.vqm"

# Another subfolder, typed at the prompt; end of input cancels nothing installed twice.
home=$work/h2
run "$home" 's Mine\ni\n\n' "$work/inst"
check "typed subfolder used" test -d "$home/Documents/QIB/objectpacks/Mine"

# Cancel at once: nothing installed.
home=$work/h3
run "$home" 'c\n' "$work/inst"
check "cancel installs nothing" test ! -e "$home/Documents/QIB/objectpacks/Larkspan Sample"
check "cancel keeps the staging file" test -e "$home/Documents/QIB/temp/data.vqm"

# Damaged installers: a flipped payload byte, a damaged resource table, a file cut short.
size=$(stat -c %s "$work/inst")
damage() {  # damage OUT OFFSET: a copy of the installer with the byte at OFFSET inverted
  cp "$work/inst" "$1"
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$work/inst" | tr -d ' ')
  printf "$(printf '\\%03o' $((byte ^ 255)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
damage "$work/bad-payload" $((size - 24 - 56 - 1000))
damage "$work/bad-table" $((size - 24 - 56 + 30))
head -c $((size - 100)) "$work/inst" >"$work/cut" && chmod +x "$work/bad-payload" "$work/bad-table" "$work/cut"
for bad in bad-payload bad-table cut; do
  home=$work/$bad-home
  run "$home" '\n\n' "$work/$bad"
  check "$bad: refused with the extract message" grep -qF 'Failed to extract the data, extracting process aborted!' "$work/out"
  check "$bad: no staging file of that payload" test ! -e "$home/Documents/QIB/temp/data.vqm"
  check "$bad: verify finds it damaged" bash -c "! '$pack' verify '$work/$bad' >/dev/null 2>&1"
done

finish
