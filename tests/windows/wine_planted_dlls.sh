#!/usr/bin/env bash
# A download folder with libraries planted in it. The wrapped sample installer is copied into
# a folder that holds a probe library (probe_dll.c) under the name of every library the
# installer loads, or the system code it calls loads, that Windows 7 does not keep in its
# known set; Wine is told to prefer such a file beside the program to its own; the installer
# is started from that folder and installs the sample with the keyboard. No probe may be
# loaded (no marker, no library from that folder in Wine's loader trace), and the files are
# installed byte for byte. Then the documents folder attempts that load their libraries by
# name run from the same folder, in the Windows layer's test program.
#   wine_planted_dlls.sh LARKSPAN_EXE LARKSPAN_PACK SOURCE_DIR PROBE_DLL LAYER_TESTS_EXE
# WINEPREFIX and HOME come from the test: the prefix's documents folder is $HOME.
# Exit status: 0 when every check passes, 77 (skipped) when Xvfb is not installed.
set -uo pipefail
stub=$1 pack=$2 source=$3 probe=$4 layer_tests=$5
: "${WINEPREFIX:?}" "${HOME:?}"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../ui/screen_checks.sh"
. "$here/wine_gui_session.sh"

open_session || exit $? # $work is the download folder
marks=$work/markers     # where the probes say they were loaded
mkdir "$marks"
source "$here/../support/check.sh"

caption="QIB Template Install"
qib=$HOME/QIB
rm -rf "$qib"

# Libraries the installer loads while it runs, or the system code it calls does (Wine's
# loader trace of an installation; the names of later Windows versions too), none of them in
# Windows 7's known set. Wine takes a file beside the program for each of them.
planted="comctl32 gdiplus shfolder uxtheme dwmapi propsys windowscodecs msimg32 cryptbase
  textshaping combase"
# Imported by Wine's own user32, which Windows keeps in its known set together with what it
# imports. Wine 8 has no known set: told to prefer a file beside the program, it loads these
# while it starts the process, before the program's first instruction, and then no program
# that shows a window can start. They are planted under Wine's own order, which takes Wine's.
# (Wine's shcore, ucrtbase and win32u are not planted at all: Wine takes a file of that name
# beside the program even by its own order, at the same moment.)
beside="version zlib1"
overrides=
for name in $planted $beside; do
  cp "$probe" "$work/$name.dll"
done
for name in $planted; do
  overrides=${overrides:+$overrides,}$name
done
export WINEDLLOVERRIDES="mscoree,mshtml=;$overrides=n,b"
export WINEDEBUG=-all,+pid,+loaddll,trace+msgbox
export LARKSPAN_PROBE_MARKERS="Z:${marks//\//\\}"
export DOWNLOADS="Z:${work//\//\\}\\"

# markers: the probes' markers, one a line, sorted.
markers() { (cd "$marks" && ls -1 | sort); }
# loads PROGRAM: what the process of PROGRAM (a file name) loaded, from Wine's trace (its
# lines begin with the process id, +pid): "native PATH" (the file itself) or "builtin PATH"
# (Wine's own library in its stead), one a line, the paths as Windows writes them.
loads() {
  PROGRAM=$1 awk '
    match($0, /^[0-9a-f]+:[0-9a-f]+:trace:loaddll:build_module Loaded L"/) {
      pid = substr($0, 1, index($0, ":") - 1)
      rest = substr($0, RLENGTH + 1)
      path = substr(rest, 1, index(rest, "\"") - 1)
      gsub(/\\\\/, "\\", path)
      kind = rest ~ /: native$/ ? "native" : "builtin"
      name = "\\" tolower(ENVIRON["PROGRAM"])
      if (program == "" && tolower(substr(path, length(path) - length(name) + 1)) == name) program = pid
      if (program != "" && pid == program) print kind " " path
    }' "$work/err"
}
# planted_loads PROGRAM: the files of the download folder that the process of PROGRAM loaded
# as themselves, one a line, sorted.
planted_loads() {
  loads "$1" | awk '{ p = "native " ENVIRON["DOWNLOADS"] }
    index($0, p) == 1 { print substr($0, length(p) + 1) }' | sort -u
}
# loaded_from PROGRAM NAME: the paths the process of PROGRAM loaded NAME from (any case), in
# lower case, one a line, sorted.
loaded_from() {
  loads "$1" | NAME=$2 awk '{ path = substr($0, index($0, " ") + 1); n = length(ENVIRON["NAME"]) }
    tolower(substr(path, length(path) - n)) == "\\" tolower(ENVIRON["NAME"]) { print tolower(path) }' | sort -u
}
shopt -s extglob
in_assembly() { # in_assembly PATH: the common controls 6 of the side-by-side store
  [[ $1 == 'c:\windows\winsxs\'@(amd64|x86)'_microsoft.windows.common-controls_'*'\comctl32.dll' ]]
}

"$pack" create "$source/sample" -o "$work/s.vqm" >/dev/null || exit 1
"$pack" wrap --stub "$stub" --package "$work/s.vqm" -o "$work/setup.exe" >/dev/null || exit 1
rm "$work/s.vqm"

check "the installer started from the download folder installs with Enter, Enter" \
  install_by_keys setup
check "the success box, exactly" test "$(boxes)" = \
  'Premium template were installed.\r\nIf QIB is currenty running, you need to close it and start it again.'
check "every file installed, byte for byte" sample_installed "$source" "$qib"
# The one load of a planted file is Wine's own: its comctl32 looks for uxtheme.dll by name
# while the process starts, before the program's TLS callbacks and entry point run (the probe
# finds the program's folder still first in the search then); the program's own first act
# restricts the search, after which nothing comes from the download folder.
check "no probe was loaded after the program restricted the search" test "$(markers)" = \
  uxtheme.dll.early
check "the trace shows no other file of the download folder loaded" test "$(planted_loads setup.exe)" = \
  "$(printf '%s\n' setup.exe uxtheme.dll)"
check "GDI+ from the system folder" test "$(loaded_from setup.exe gdiplus.dll)" = \
  'c:\windows\system32\gdiplus.dll'
check "the image codecs from the system folder" test "$(loaded_from setup.exe windowscodecs.dll)" = \
  'c:\windows\system32\windowscodecs.dll'
check "the common controls from their side-by-side assembly" in_assembly "$(loaded_from setup.exe comctl32.dll)"
if [ "$failures" -gt 0 ]; then
  echo "the trace of the installer's loads:"
  loads setup.exe
fi
rm -rf "$qib"

# The default and the account documents folders load SHFOLDER.DLL and shell32.dll: from the system
# folder, also in a program that never restricted its search; and so does the way taken
# where the system lacks the search flags (a full path).
rm -f "$marks"/*
cp "$layer_tests" "$work/layer_tests.exe"
(cd "$work" && exec wine ./layer_tests.exe \
  --gtest_filter='Win32Layer.EveryDocumentsFolderQuery*:Win32Layer.TheChainFallsBack*:SystemLibrary.*') \
  >"$work/out" 2>"$work/err" </dev/null
check "the documents folder queries and the system libraries beside planted files" test $? -eq 0
check "no probe was loaded by them" test -z "$(markers)"
check "SHFOLDER.DLL from the system folder" test "$(loaded_from layer_tests.exe shfolder.dll)" = \
  'c:\windows\system32\shfolder.dll'
# Only the default folder asks SHFOLDER.DLL; the configured and the account ones ask the shell.
(cd "$work" && exec wine ./layer_tests.exe \
  --gtest_filter='Win32Layer.TheConfiguredAndAccountFoldersAskTheShell') \
  >"$work/out" 2>"$work/err" </dev/null
check "the configured and the account queries find the documents folder" test $? -eq 0
check "the configured and the account queries load no SHFOLDER.DLL" test -z "$(loaded_from layer_tests.exe shfolder.dll)"
if [ "$failures" -gt 0 ]; then
  cat "$work/out"
  echo "the trace of the test program's loads:"
  loads layer_tests.exe
fi
finish
