#!/usr/bin/env bash
# The real wrapped installer, driven through the console front end on a pipe.
#   console_install.sh LARKSPAN LARKSPAN_PACK SOURCE_DIR
set -euo pipefail
stub=$1 pack=$2 source=$3
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT

source "$(dirname "$0")/../support/check.sh"

# run HOME INPUT INSTALLER: the installer on a pipe, without a display; what it printed in
# $work/out. Its exit code carries no meaning, but it is 0: anything else is a crash or a
# sanitizer's abort.
run() {
  local home=$1 input=$2 installer=$3 status=0
  mkdir -p "$home"
  printf "$input" | env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    "$installer" >"$work/out" 2>&1 || status=$?
  check "$(basename "$installer") in $(basename "$home") on '$input' exits with 0" test "$status" -eq 0
}

# shows LINES: the output holds these whole lines, one after the other.
shows() {
  [[ $'\n'"$(sed 's/^\(> \)*//' "$work/out")"$'\n' == *$'\n'"$1"$'\n'* ]] || {
    echo "--- expected these lines:"
    printf '%s\n' "$1"
    echo "--- in the output:"
    cat "$work/out"
    return 1
  }
}
not() { ! "$@"; }

# The texts as the user reads them.
dialog='QIB Template Install
Name: Larkspan Sample Templates
Description: Five brushes and a woven tile to try Larkspan with.
Made for testing; free to share.
Requires QIB Version: 3
Install Into Subfolder: Larkspan Sample'
installed='[!] inst
Premium template were installed.
If QIB is currenty running, you need to close it and start it again.
(press Enter for OK)'
question='[?] inst
File Exist
The file '"'brush-flat.qop'"' already exist.
Continue Overwriting the template?
(y = Yes, n = No)'

"$pack" create "$source/sample" -o "$work/s.vqm"
"$pack" wrap --stub "$stub" --package "$work/s.vqm" -o "$work/inst"

# A bare stub: no payload.
run "$work/h0" '\n\n' "$stub"
check "bare stub reports the missing payload, then the missing staging file" \
  shows "[!] larkspan
Failed to extract the data, extracting process aborted!
(press Enter for OK)
[!] larkspan
Error 5, Missing 'data.vqm' file in temporrary space
(press Enter for OK)"
check "bare stub prints only the two boxes" test "$(wc -l <"$work/out")" -eq 6
check "bare stub never shows the dialog" bash -c "! grep -q 'QIB Template Install' '$work/out'"

# Install with the proposed subfolder, then close the success box.
home=$work/h1
run "$home" 'i\n\n' "$work/inst"
docs=$home/Documents/QIB
check "dialog shows the sample's fields" grep -q '^Name: Larkspan Sample Templates$' "$work/out"
check "dialog: caption, labels and fields" shows "$dialog"
check "success message" grep -qF 'Premium template were installed.' "$work/out"
check "success box, whole" shows "$installed"
check "no question on a first installation" not grep -qF '[?]' "$work/out"
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
check "overwrite question, whole" shows "$question"
check "answer No keeps the staging file" test -e "$docs/temp/data.vqm"

# "y" or "yes" in any case answers Yes; anything else, an empty line included, No. A Yes
# shows in a damaged first object pack written again.
first="$docs/objectpacks/Larkspan Sample/brush-flat.qop"
for answer in y Y yes YES Yes n N no '' yess ye; do
  echo damaged >"$first"
  run "$home" "i\n$answer\n\n" "$work/inst"
  case $answer in
    [yY] | [yY][eE][sS])
      check "'$answer' is Yes: overwritten" cmp -s "$source/sample/objectpacks/brush-flat.qop" "$first"
      check "'$answer' is Yes: success box" shows "$question
$installed"
      check "'$answer' is Yes: staging file removed" test ! -e "$docs/temp/data.vqm"
      ;;
    *)
      check "'$answer' is No: nothing written" grep -qx damaged "$first"
      check "'$answer' is No: no success box" not grep -qF 'Premium template' "$work/out"
      check "'$answer' is No: staging file kept" test -e "$docs/temp/data.vqm"
      ;;
  esac
done

# Another subfolder, typed at the prompt; end of input cancels nothing installed twice.
home=$work/h2
run "$home" 's Mine\ni\n\n' "$work/inst"
check "typed subfolder used" test -d "$home/Documents/QIB/objectpacks/Mine"
for f in "$source"/sample/objectpacks/*; do
  check "typed subfolder: object pack $(basename "$f")" \
    cmp -s "$f" "$home/Documents/QIB/objectpacks/Mine/$(basename "$f")"
done
for f in "$source"/sample/preview/*; do
  check "typed subfolder: preview $(basename "$f")" \
    cmp -s "$f" "$home/Documents/QIB/Preview/Mine_$(basename "$f")"
done
check "typed subfolder: the proposed one not made" \
  test ! -e "$home/Documents/QIB/objectpacks/Larkspan Sample" -a ! -e "$home/Documents/QIB/Preview/Larkspan Sample_larkspan-sample.png"

# A staging file left from an earlier start, longer than the payload, ends up exactly the
# payload.
home=$work/h4
mkdir -p "$home/Documents/QIB/temp"
{ cat "$work/s.vqm"; head -c 5000 /dev/zero | tr '\0' x; } >"$home/Documents/QIB/temp/data.vqm"
run "$home" 'c\n' "$work/inst"
check "a longer staging file is replaced by exactly the payload" \
  cmp "$work/s.vqm" "$home/Documents/QIB/temp/data.vqm"

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
  status=0
  "$pack" verify "$work/$bad" >/dev/null 2>&1 || status=$?
  check "$bad: verify exits with 1 (damaged)" test "$status" -eq 1
done

finish
