#!/usr/bin/env bash
# The wrapped sample installer as a Windows user sees it: larkspan.exe under Wine on a private
# X server, driven with the keyboard and the mouse. The texts of the message boxes come from
# Wine's msgbox trace, in the order the boxes opened.
#   wine_gui_e2e.sh LARKSPAN_EXE LARKSPAN_PACK SOURCE_DIR [SCREENSHOT_DIR]
# With SCREENSHOT_DIR, also writes windows-dialog.png and windows-message-box.png there.
# WINEPREFIX and HOME come from the test: the prefix's documents folder is $HOME.
# Exit status: 0 when every check passes, 77 (skipped) when Xvfb is not installed.
set -uo pipefail
stub=$1 pack=$2 source=$3 shots=${4:-}
: "${WINEPREFIX:?}" "${HOME:?}"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../ui/screen_checks.sh"
. "$here/wine_gui_session.sh"

open_session || exit $?
source "$here/../support/check.sh"

export WINEDEBUG=-all,trace+msgbox
caption="QIB Template Install"
qib=$HOME/QIB
fresh() { rm -rf "$qib"; }

click_at() {  # click_at X Y (screen pixels)
  xdotool mousemove --sync "$1" "$2"
  sleep 0.1
  xdotool click 1
}
# click_unit X Y: a click at a point of the dialog given in template units, placed by the
# picture frame measured on the screen (frame_* below).
click_unit() {
  click_at "$(awk -v u="$1" -v o="$fx0" -v s="$sx" 'BEGIN { printf "%d", o + u * s }')" \
    "$(awk -v u="$2" -v o="$fy0" -v s="$sy" 'BEGIN { printf "%d", o + u * s }')"
}
# click_box_button: the OK button of a one-button box, centred at its foot.
click_box_button() {
  eval "$(xdotool getwindowgeometry --shell "$box")"
  click_at $((X + WIDTH / 2)) $((Y + HEIGHT - 24))
}
installed() {  # every sample file in place, byte for byte
  sample_installed "$source" "$qib"
}
success='Premium template were installed.\r\nIf QIB is currenty running, you need to close it and start it again.'

"$pack" create "$source/sample" -o "$work/s.vqm" >/dev/null || exit 1
"$pack" wrap --stub "$stub" --package "$work/s.vqm" -o "$work/setup.exe" >/dev/null || exit 1
# A package whose header is damaged (its first word), carried with the checksum of exactly
# those bytes: it stages, and the header preview refuses it.
python3 - "$work/s.vqm" "$work/setup.exe" "$work/damaged.exe" <<'PY' || exit 1
import ctypes, struct, sys
xxh = ctypes.CDLL("libxxhash.so.0")
xxh.XXH3_64bits.restype = ctypes.c_uint64
xxh.XXH3_64bits.argtypes = [ctypes.c_char_p, ctypes.c_size_t]
def digest(data):
    return struct.pack("<Q", xxh.XXH3_64bits(bytes(data), len(data)))
package = open(sys.argv[1], "rb").read()
installer = bytearray(open(sys.argv[2], "rb").read())
damaged = bytearray(package)
damaged[0] ^= 0xFF
assert installer.count(package) == 1 and installer.count(digest(package)) == 1
at = installer.index(package)
installer[at:at + len(package)] = damaged
at = installer.index(digest(package))
installer[at:at + 8] = digest(damaged)
open(sys.argv[3], "wb").write(installer)
PY

# 1. The damaged header: its message, then the dialog's, and no dialog.
fresh
start damaged
first=no second=no
if box damaged; then
  first=yes
  key "$box" Return
  sleep 0.3
  if box damaged; then
    second=yes
    check "damaged header: no dialog while the boxes show" not xdotool search --onlyvisible --name "^$caption\$"
    key "$box" Return
  fi
fi
check "damaged header: two boxes" test "$first$second" = yesyes
check "damaged header: the installer ends" ended
check "damaged header: the two texts in order" test "$(boxes)" = \
  "$(printf '%s\n' 'Error\nFile is not a QIB Archive file!' 'Error 4, the templates were not installed')"

# 2. The dialog as shown, then Enter installs and Enter closes the success box.
fresh
start setup
if dialog; then
  # The image window paints its background red, green and blue 16: those pixels left of the
  # name box mark the frame. Its size and place give the template's scale on this screen.
  for i in $(seq 1 50); do
    import -window root "$work/screen.png"
    frame=$(convert "$work/screen.png" -fill white +opaque 'rgb(16,16,16)' -format '%@' info:)
    [ "${frame%%x*}" -gt 100 ] 2>/dev/null && break
    sleep 0.1
  done
  IFS='x+' read -r fw fh fx fy <<<"$frame"
  # The X window is the whole dialog, caption and sizing border included: Wine draws them
  # itself on a server without a window manager.
  eval "$(xdotool getwindowgeometry --shell "$window")"  # X Y WIDTH HEIGHT
  echo "dialog ${WIDTH}x${HEIGHT} at $X,$Y on $(xdotool getdisplaygeometry)"
  check "the dialog opens centred on the screen" centred "$X" "$Y" "$WIDTH" "$HEIGHT"
  sx=$(awk -v w="$fw" 'BEGIN { print w / 227 }') sy=$(awk -v h="$fh" 'BEGIN { print h / 155 }')
  fx0=$(awk -v x="$fx" -v s="$sx" 'BEGIN { print x - 7 * s }')
  fy0=$(awk -v y="$fy" -v s="$sy" 'BEGIN { print y - 7 * s }')
  echo "frame ${fw}x${fh} at $fx,$fy"
  # 227 x 155 units in whole base units of the dialog's font, as the dialog manager maps them.
  check "frame of the template's size in dialog units" awk -v w="$fw" -v h="$fh" 'BEGIN {
    for (b = 4; b <= 32; ++b) { if (int((227 * b + 2) / 4) == w) x = 1; if (int((155 * b + 4) / 8) == h) y = 1 }
    exit !(x && y) }'
  check "the frame's centre shows the picture" \
    test "$(pixel "$work/screen.png" $((fx + fw / 2)) $((fy + fh / 2)))" != "16,16,16"
  left=$(pixel "$work/screen.png" "$((fx + 1))" $((fy + fh / 2)))
  right=$(pixel "$work/screen.png" $((fx + fw - 2)) $((fy + fh / 2)))
  top=$(pixel "$work/screen.png" $((fx + fw / 2)) "$((fy + 1))")
  bottom=$(pixel "$work/screen.png" $((fx + fw / 2)) $((fy + fh - 2)))
  check "the picture leaves a border of red, green and blue 16 on two opposite sides" \
    bash -c "[ '$left$right' = '16,16,1616,16,16' ] || [ '$top$bottom' = '16,16,1616,16,16' ]"
  picture=$(convert "$work/screen.png" -crop "${fw}x${fh}+${fx}+${fy}" +repage \
    -bordercolor 'rgb(16,16,16)' -border 1 -format '%@' info:)
  IFS='x+' read -r pw ph px py <<<"$picture"
  echo "picture ${pw}x${ph} at $px,$py in the frame"
  check "picture fitted to the frame's pixels" test "$pw" -eq "$fw" -o "$ph" -eq "$fh"
  check "picture keeps its 4:3 aspect" near "$(awk -v a="$pw" -v b="$ph" 'BEGIN { print a / b }')" 1.3333 0.02
  # Margins on opposite sides (the crop's border of one pixel taken off) differ by one pixel
  # at the most: what an odd difference in size leaves over.
  check "picture centred to the pixel" awk -v x="$px" -v y="$py" -v w="$pw" -v h="$ph" \
    -v fw="$fw" -v fh="$fh" 'BEGIN { l = x - 1; r = fw - w - l; t = y - 1; b = fh - h - t
      exit !(l - r <= 1 && r - l <= 1 && t - b <= 1 && b - t <= 1) }'
  ux() { awk -v u="$1" -v o="$fx0" -v s="$sx" 'BEGIN { printf "%d", o + u * s }'; }
  uy() { awk -v u="$1" -v o="$fy0" -v s="$sy" 'BEGIN { printf "%d", o + u * s }'; }
  uw() { awk -v u="$1" -v s="$sx" 'BEGIN { printf "%d", u * s }'; }
  uh() { awk -v u="$1" -v s="$sy" 'BEGIN { printf "%d", u * s }'; }
  check "name shown" dark "$work/screen.png" "$(ux 246)" "$(uy 9)" "$(uw 100)" "$(uh 10)"
  check "description shown" dark "$work/screen.png" "$(ux 246)" "$(uy 27)" "$(uw 150)" "$(uh 20)"
  check "version shown" dark "$work/screen.png" "$(ux 327)" "$(uy 96)" "$(uw 20)" "$(uh 10)"
  check "subfolder shown" dark "$work/screen.png" "$(ux 327)" "$(uy 117)" "$(uw 80)" "$(uh 10)"
  check "nothing drawn where the template has no control" \
    not dark "$work/screen.png" "$(ux 360)" "$(uy 96)" "$(uw 100)" "$(uh 14)"
  if [ -n "$shots" ]; then
    mkdir -p "$shots"
    import -window "$window" "$shots/windows-dialog.png"
  fi

  key "$window" Return
  if box setup; then
    [ -z "$shots" ] || { sleep 0.3; import -window "$box" "$shots/windows-message-box.png"; }
    key "$box" Return
  fi
  check "Enter installs, Enter closes the success box, the installer ends" ended
  check "the success box, exactly" test "$(boxes)" = "$success"
  check "every file installed" installed
  check "staging file removed" test ! -e "$qib/temp/data.vqm"
  check "title image copy kept" cmp -s "$source/sample/title.jpg" "$qib/temp/install.jpg"
fi

# 3. The first object pack already there: the question; No writes nothing and the dialog
#    stays; Escape then ends the installer.
first_pack=$(ls "$source/sample/objectpacks" | head -n 1)
: >"$qib/objectpacks/Larkspan Sample/$first_pack"
rm -rf "$qib/Preview" "$qib/Tessel"
start setup
if dialog; then
  key "$window" Return
  if box setup; then
    key "$box" n
  fi
  sleep 0.5
  check "the question, exactly" test "$(boxes)" = \
    "File Exist\\nThe file '$first_pack' already exist.\\nContinue Overwriting the template?"
  check "No keeps the dialog open" bash -c "xdotool search --onlyvisible --name '^$caption\$' >/dev/null"
  key "$window" Escape
  check "Escape ends the installer" ended
  check "No leaves the existing object pack as it was" test ! -s "$qib/objectpacks/Larkspan Sample/$first_pack"
  check "No writes no other file" test -z "$(find "$qib/Preview" "$qib/Tessel" -type f 2>/dev/null)"
  check "No keeps the staging file" test -e "$qib/temp/data.vqm"
fi

# 4. The mouse: Install and OK, then Cancel in another run.
fresh
start setup
if dialog; then
  click_unit 403 155
  box setup && click_box_button
  check "a click on Install installs, a click on OK ends the installer" ended
  check "the success box by the mouse" test "$(boxes)" = "$success"
  check "installed by the mouse" installed
  check "staging file removed after the mouse's run" test ! -e "$qib/temp/data.vqm"
fi
fresh
start setup
if dialog; then
  click_unit 455 155
  check "a click on Cancel ends the installer" ended
  check "Cancel installs nothing" test ! -e "$qib/objectpacks"
  check "Cancel keeps the staging file" test -e "$qib/temp/data.vqm"
  check "Cancel shows no box" test -z "$(boxes)"
fi
fresh

[ -z "$shots" ] || check "screenshots written" test -s "$shots/windows-dialog.png" -a -s "$shots/windows-message-box.png"
finish
