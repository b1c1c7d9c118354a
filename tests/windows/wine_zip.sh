#!/usr/bin/env bash
# The Windows authors' download as they get it: cpack makes larkspan-<version>-windows.zip,
# which is unpacked in a folder of its own; its larkspan-pack.exe alone, under Wine, packs the
# sample and wraps it, finding its stubs beside itself, into a Windows installer that installs
# on a private X server (Enter on the dialog, Enter on the success box) and a Linux installer
# that installs on the console.
#   wine_zip.sh CPACK CPACK_CONFIG VERSION SOURCE_DIR
# WINEPREFIX and HOME come from the test: the prefix's documents folder is $HOME.
# Exit status: 0 when every check passes, 77 (skipped) when Xvfb is not installed.
set -uo pipefail
cpack=$1 config=$2 version=$3 source=$4
: "${WINEPREFIX:?}" "${HOME:?}"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../ui/screen_checks.sh"
. "$here/wine_gui_session.sh"

caption="QIB Template Install"
export WINEDEBUG=-all,trace+msgbox
open_session || exit $?
source "$here/../support/check.sh"

name=larkspan-$version-windows
timeout 120 "$cpack" -G ZIP --config "$config" -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
check "cpack makes $name.zip" test -f "$work/cpack/$name.zip"
mkdir "$work/elsewhere"
python3 -m zipfile -e "$work/cpack/$name.zip" "$work/elsewhere" || exit 1
unpacked=$work/elsewhere/$name
check "the zip holds the tool, its stubs and the documents, nothing else" test \
  "$(cd "$unpacked" && find . -type f | LC_ALL=C sort | tr '\n' ' ')" = \
  "./LICENSE ./README.md ./THIRD-PARTY-NOTICES.txt ./larkspan-pack.exe ./stubs/linux/larkspan ./stubs/windows/x64/larkspan.exe ./stubs/windows/x86/larkspan.exe "
check "LICENSE and README as in the source" \
  bash -c "cmp -s '$source/LICENSE' '$unpacked/LICENSE' && cmp -s '$source/README.md' '$unpacked/README.md'"
# The tool and all three stubs together carry every library that the copyright file names.
check "THIRD-PARTY-NOTICES: every paragraph of the copyright file" test \
  "$(grep -c '^Files:' "$unpacked/THIRD-PARTY-NOTICES.txt")" = "$(grep -c '^Files:' "$source/packaging/copyright")"
check "THIRD-PARTY-NOTICES: the tool's own libraries" \
  bash -c "grep -q 'Henry Schreiner' '$unpacked/THIRD-PARTY-NOTICES.txt' && grep -q 'Niels Lohmann' '$unpacked/THIRD-PARTY-NOTICES.txt'"

# The unpacked tool alone, from a folder of the author's: nothing of the build is named.
cp -r "$source/sample" "$work/sample"
tool() { (cd "$work" && timeout 120 wine "$unpacked/larkspan-pack.exe" "$@" </dev/null); }
check "create" tool create sample -o s.vqm
check "wrap for Windows (x86)" tool wrap --platform windows --package s.vqm -o setup.exe
check "wrap for Windows x64" tool wrap --platform windows --arch x64 --package s.vqm -o setup64.exe
check "wrap for Linux" tool wrap --package s.vqm -o setup-linux
# "PE\0\0" and the machine: x86-64 (0x8664) or x86 (0x014C).
check "the x64 installer carries the x64 stub's machine" test \
  "$(od -An -tx1 -j "$(od -An -tu4 -j 60 -N 4 "$work/setup64.exe" | tr -d ' ')" -N 6 "$work/setup64.exe" | tr -d ' \n')" = 504500006486
check "the x86 installer carries the x86 stub's machine" test \
  "$(od -An -tx1 -j "$(od -An -tu4 -j 60 -N 4 "$work/setup.exe" | tr -d ' ')" -N 6 "$work/setup.exe" | tr -d ' \n')" = 504500004c01
check "the Linux installer begins with the Linux stub" \
  cmp -s -n "$(stat -c %s "$unpacked/stubs/linux/larkspan")" "$unpacked/stubs/linux/larkspan" "$work/setup-linux"

# The Windows installer installs.
rm -rf "$HOME/QIB"
install_by_keys setup
check "the Windows installer installs every file" sample_installed "$source" "$HOME/QIB"
check "the Windows installer says it installed" test "$(boxes)" = \
  'Premium template were installed.\r\nIf QIB is currenty running, you need to close it and start it again.'

# The Linux installer installs, on the console, once it may run: Windows keeps no Unix
# permissions, so it comes from Windows like any download.
linux_home=$work/linux-home
mkdir "$linux_home"
chmod +x "$work/setup-linux"
printf 'i\n\n' | (cd "$work" && timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY HOME="$linux_home" \
  XDG_CONFIG_HOME="$linux_home/.config" ./setup-linux) >"$work/linux.out" 2>&1
check "the Linux installer installs every file" sample_installed "$source" "$linux_home/Documents/QIB"

finish
