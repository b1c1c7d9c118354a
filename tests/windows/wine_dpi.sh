#!/usr/bin/env bash
# The wrapped sample installer on a screen of DPI dots per inch (the user's LogPixels): the
# dialog and its controls where the template maps through the dialog font's base units at
# that DPI, no text cut, the image window exactly over the picture frame (dpi_probe.exe
# measures those from beside the installer), and the title image in it drawn fitted to the
# frame's size in pixels, as `larkspan-pack preview --frame` paints it.
#   wine_dpi.sh DPI DPI_PROBE LARKSPAN_EXE LARKSPAN_PACK SOURCE_DIR [--shot PNG] [--may-cut TEXT]
# --shot writes a screenshot of the dialog; --may-cut names a label that may miss by a pixel
# at this DPI (see dpi_probe.cpp).
# Runs in a copy of the tests' prefix (WINEPREFIX) kept beside it with LogPixels set, so
# that the other tests never see the changed DPI. HOME comes from the test.
# Exit status: 0 when every check passes, 77 (skipped) when Xvfb is not installed.
set -uo pipefail
dpi=$1 probe=$2 stub=$3 pack=$4 source=$5
shift 5
shot= cut=()
while (($#)); do
  case $1 in
    --shot) shot=$2 ;;
    --may-cut) cut=(--may-cut "$2") ;;
    *) echo "wine_dpi.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift 2
done
: "${WINEPREFIX:?}" "${HOME:?}"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_gui_session.sh"

# Room for the dialog at 192 DPI (about 1460 x 620 pixels).
open_session 1920x1200x24 || exit $?
source "$here/../support/check.sh"

# The prefix at this DPI, made once from the tests' prefix: its own registry and devices, the
# same drive C (over a gigabyte, which the installer only reads; the documents folder is
# $HOME). A server of its own reads the registry with the changed value.
base=$WINEPREFIX
export WINEPREFIX=$base-${dpi}dpi
logpixels=$(printf '"LogPixels"=dword:%08x' "$dpi")
if ! grep -qx "$logpixels" "$WINEPREFIX/user.reg" 2>/dev/null; then
  WINEPREFIX=$base timeout 60 wineserver -w
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  cp -a "$base"/{.update-timestamp,system.reg,user.reg,userdef.reg,dosdevices} "$WINEPREFIX"/
  ln -s "$base/drive_c" "$WINEPREFIX/drive_c"
  timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1
  timeout 60 wineserver -w
fi
check "the prefix has LogPixels $dpi" grep -qx "$logpixels" "$WINEPREFIX/user.reg"

# The sample with its title picture losslessly in PNG (under the same name: the installer
# tells the format by content), so that the system's decoder and the tool's give the same
# pixels and the picture on the screen can be compared exactly.
cp -r "$source/sample" "$work/sample"
convert "$source/sample/title.jpg" "PNG24:$work/sample/title.jpg" || exit 1
"$pack" create "$work/sample" -o "$work/s.vqm" >/dev/null || exit 1
"$pack" wrap --stub "$stub" --package "$work/s.vqm" -o "$work/setup.exe" >/dev/null || exit 1
rm -rf "$HOME/QIB"
wine "$work/setup.exe" >"$work/out" 2>"$work/err" </dev/null &
installer_pid=$!

timeout 60 wine "$probe" "$dpi" "${cut[@]}" 2>"$work/probe.err" | tr -d '\r' >"$work/probe"
probed=${PIPESTATUS[0]}
cat "$work/probe" "$work/probe.err"
check "at $dpi DPI the dialog and its controls follow the font's base units, no text cut" \
  test "$probed" -eq 0
read -r _ ix iy iw ih < <(grep '^image ' "$work/probe")
if [ -n "${ih:-}" ]; then
  echo "image window ${iw}x${ih} at $ix,$iy"
  "$pack" preview "$work/setup.exe" --frame "${iw}x${ih}" -o "$work/expected.png" >/dev/null
  # The picture is painted once the dialog shows: compare until it matches (up to 10 s).
  differing=unmeasured
  for _ in $(seq 1 50); do
    import -window root -crop "${iw}x${ih}+${ix}+${iy}" +repage "$work/shown.png"
    differing=$(compare -metric AE "$work/shown.png" "$work/expected.png" null: 2>&1)
    [ "$differing" = 0 ] && break
    sleep 0.2
  done
  echo "pixels differing from the preview: $differing"
  check "the title image drawn fitted to the frame's ${iw}x${ih} pixels" test "$differing" = 0
  if [ -n "$shot" ]; then
    window=$(timeout 30 xdotool search --onlyvisible --name '^QIB Template Install$' | head -n1)
    import -window "$window" "$shot"
  fi
fi

# Cancel closes it.
window=$(timeout 30 xdotool search --onlyvisible --name '^QIB Template Install$' | head -n1)
if [ -n "$window" ]; then
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.2
  xdotool key --clearmodifiers Escape
fi
for _ in $(seq 1 100); do
  kill -0 "$installer_pid" 2>/dev/null || break
  sleep 0.1
done
check "Escape closes the dialog" bash -c "! kill -0 $installer_pid 2>/dev/null"
finish
