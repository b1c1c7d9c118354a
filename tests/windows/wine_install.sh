#!/usr/bin/env bash
# Whole installations of the wrapped sample under Wine through the scripted installer (the
# real runner with a scripted front end), and the wrapped installer as other tools read it.
# The installer's own windows are driven by wine_gui_e2e.sh.
#   wine_install.sh SCRIPTED_INSTALLER LARKSPAN_EXE LARKSPAN_PACK SOURCE_DIR
# WINEPREFIX and HOME come from the test: the prefix's documents folder is $HOME.
set -euo pipefail
scripted=$1 installer=$2 pack=$3 source=$4
: "${WINEPREFIX:?}" "${HOME:?}"
work=$(mktemp -d)
trap 'umount -l "$HOME/QIB/temp" 2>/dev/null || true; rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/check.sh"

qib=$HOME/QIB
fresh() { rm -rf "$qib"; }
run() {  # run EXE ARGS...: its standard output in $work/out
  wine "$@" >"$work/out" 2>"$work/err" </dev/null || true
}
has() {  # has TEXT: the output holds the whole TEXT (printf escapes allowed)
  local text
  text=$(printf "$1."); text=${text%.}  # keeps the closing line break
  holds "$work/out" "$text"
}

"$pack" create "$source/sample" -o "$work/s.vqm"
"$pack" wrap --stub "$scripted" --package "$work/s.vqm" -o "$work/scripted-setup.exe"
check "wrap names the payload SETUP 129" bash -c "'$pack' list '$work/scripted-setup.exe' | grep -q 'Larkspan Sample Templates'"

# Install, then check every file byte for byte.
fresh
run "$work/scripted-setup.exe"
check "the dialog was shown with the package's name" has 'field 1001: Larkspan Sample Templates\n'
check "success box, exactly" has '[box] scripted-setup\nPremium template were installed.\r\nIf QIB is currenty running, you need to close it and start it again.\n'
check "one box only" test "$(grep -c '^\[box\]' "$work/out")" -eq 1
check "staging file removed" test ! -e "$qib/temp/data.vqm"
check "title image copy kept" cmp -s "$source/sample/title.jpg" "$qib/temp/install.jpg"
for f in "$source"/sample/objectpacks/*; do
  check "object pack $(basename "$f")" cmp -s "$f" "$qib/objectpacks/Larkspan Sample/$(basename "$f")"
done
for f in "$source"/sample/preview/*; do
  check "preview $(basename "$f")" cmp -s "$f" "$qib/Preview/Larkspan Sample_$(basename "$f")"
done
for f in "$source"/sample/tessel/*; do
  check "tessel $(basename "$f")" cmp -s "$f" "$qib/Tessel/$(basename "$f")"
done

# Again: the question, answered No, writes nothing.
first=$(ls "$source"/sample/objectpacks | head -n 1)
: >"$qib/objectpacks/Larkspan Sample/$first"
run "$work/scripted-setup.exe" --no
check "overwrite question" has "[box] scripted-setup\nFile Exist\nThe file '$first' already exist.\nContinue Overwriting the template?\n"
check "No writes nothing" test ! -s "$qib/objectpacks/Larkspan Sample/$first"
check "No keeps the staging file" test -e "$qib/temp/data.vqm"

# A read-only file where an object pack goes is refused and kept, whatever the rights of the
# user (Wine run by root would replace it): Wine shows a file without write bits as read-only.
printf old >"$qib/objectpacks/Larkspan Sample/$first"
chmod 444 "$qib/objectpacks/Larkspan Sample/$first"
run "$work/scripted-setup.exe"
check "read-only object pack: the Files Directory message" has '[box] scripted-setup\nError\nCannot install template.\nDo you have permission to write to the Files Directory?\n'
check "read-only object pack: kept" test "$(cat "$qib/objectpacks/Larkspan Sample/$first")" = old
check "read-only object pack: no temporary file" test -z "$(ls "$qib/objectpacks/Larkspan Sample" | grep '^~lks' || true)"
chmod 644 "$qib/objectpacks/Larkspan Sample/$first"

# A typed subfolder; Cancel installs nothing.
fresh
run "$work/scripted-setup.exe" --subfolder Mine
check "typed subfolder used" cmp -s "$source/sample/objectpacks/$first" "$qib/objectpacks/Mine/$first"
fresh
run "$work/scripted-setup.exe" --cancel
check "cancel installs nothing" test ! -e "$qib/objectpacks/Larkspan Sample"
check "cancel keeps the staging file" test -e "$qib/temp/data.vqm"

# Staging replaces a longer staging file with exactly the payload (CREATE_ALWAYS).
fresh
mkdir -p "$qib/temp"
head -c 100000 /dev/urandom >"$qib/temp/data.vqm"
run "$work/scripted-setup.exe" --cancel
check "a longer staging file becomes exactly the payload" cmp -s "$work/s.vqm" "$qib/temp/data.vqm"

# A staging file that cannot be written: the message, then the file that is there is shown.
# Wine run by root writes through the read-only attribute, so the file is made immutable.
cp "$work/s.vqm" "$work/kept.vqm"
printf 'an older staging file' >"$qib/temp/data.vqm"
if chattr +i "$qib/temp/data.vqm" 2>/dev/null; then
  run "$work/scripted-setup.exe" --cancel
  chattr -i "$qib/temp/data.vqm"
  check "unwritable staging file: the message" has '[box] scripted-setup\nFailed to create temporary data file, extracting process aborted!\n'
  check "unwritable staging file unchanged" test "$(cat "$qib/temp/data.vqm")" = 'an older staging file'
elif [ "${CI:-}" = true ]; then
  check "chattr can make the staging file unwritable (root, ext4)" false
else
  echo "skipped: an unwritable staging file (chattr +i needs root on ext4)"
fi

# A payload damaged after wrapping is refused while staging, and nothing damaged is left.
python3 - "$work/s.vqm" "$work/scripted-setup.exe" "$work/damaged.exe" <<'PY'
import sys
package = open(sys.argv[1], "rb").read()
installer = open(sys.argv[2], "rb").read()
at = installer.index(package[:64]) + len(package) // 2
damaged = bytearray(installer)
damaged[at] ^= 0xFF
open(sys.argv[3], "wb").write(damaged)
PY
fresh
run "$work/damaged.exe"
check "damaged payload refused" has '[box] damaged\nFailed to extract the data, extracting process aborted!\n[box] damaged\nError 5, Missing '"'"'data.vqm'"'"' file in temporrary space\n'
check "damaged payload: two boxes only" test "$(grep -c '^\[box\]' "$work/out")" -eq 2
check "no damaged staging file" test ! -e "$qib/temp/data.vqm"
check "damaged payload: nothing installed" test ! -e "$qib/objectpacks"

# A disk that fills while staging: the staging file is removed, and the installer knows it is
# gone (Windows keeps a removed file visible while any handle to it stays open). A tmpfs of
# half the payload's size as the temporary folder; mounting needs root.
fresh
mkdir -p "$qib/temp"
if mount -t tmpfs -o size=$(($(stat -c %s "$work/s.vqm") / 2 / 4096 * 4096)) tmpfs "$qib/temp" 2>/dev/null; then
  run "$work/scripted-setup.exe"
  check "full disk while staging: both messages" has '[box] scripted-setup\nFailed to create temporary data file, extracting process aborted!\n[box] scripted-setup\nError 5, Missing '"'"'data.vqm'"'"' file in temporrary space\n'
  check "full disk while staging: two boxes only" test "$(grep -c '^\[box\]' "$work/out")" -eq 2
  check "full disk while staging: no staging file" test ! -e "$qib/temp/data.vqm"
  check "full disk while staging: nothing installed" test ! -e "$qib/objectpacks"
  umount -l "$qib/temp"
elif [ "${CI:-}" = true ]; then
  check "a small tmpfs can be mounted for the full disk (root)" false
else
  echo "skipped: a full disk while staging (mounting a tmpfs needs root)"
fi

# The installer itself, wrapped, as resource tools read it.
"$pack" wrap --stub "$installer" --package "$work/s.vqm" -o "$work/setup.exe"
wrestool -l "$work/setup.exe" >"$work/resources"
check "wrestool lists SETUP 129" grep -qF -e \
  "--type='SETUP' --name=129 --language=1033 [offset=" "$work/resources"
check "wrestool gives it the package's size" grep -qF "size=$(stat -c %s "$work/s.vqm")]" "$work/resources"
check "wrestool extracts the package's bytes" bash -c \
  "wrestool -x --raw --type=SETUP --name=129 '$work/setup.exe' | cmp -s - '$work/s.vqm'"
check "pefile parses setup.exe and its checksum verifies" /usr/bin/python3 -c \
  "import pefile, sys; pe = pefile.PE(sys.argv[1]); sys.exit(0 if pe.verify_checksum() else 1)" \
  "$work/setup.exe"
fresh
finish
