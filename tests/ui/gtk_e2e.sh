#!/usr/bin/env bash
# The real wrapped installer on the desktop front end, on a private X server, driven with the
# keyboard and the mouse as a user would.
#   gtk_e2e.sh LARKSPAN LARKSPAN_PACK SOURCE_DIR [SCREENSHOT_DIR]
# With SCREENSHOT_DIR, also writes dialog.png and message-box.png there.
# Exit status: 0 when every check passes, 77 (skipped) when Xvfb is not installed.
set -uo pipefail
stub=$1 pack=$2 source=$3 shots=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_session.sh"
. "$here/screen_checks.sh"

start_xvfb 1280x1024x24
status=$?
[ $status -eq 0 ] || exit $status

work=$(mktemp -d)
installer_pid=
cleanup() {
  if [ -n "$installer_pid" ]; then
    kill "$installer_pid" 2>/dev/null
    wait "$installer_pid" 2>/dev/null
  fi
  stop_xvfb
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/../support/check.sh"

caption="QIB Template Install"
# The X11 toolkit back end on the private server, its default theme, and no accessibility
# bus (there is no session bus to find it on).
export GDK_BACKEND=x11 GTK_THEME=Adwaita NO_AT_BRIDGE=1
unset WAYLAND_DISPLAY

# start HOME [ENV...]: the installer in the background, its window id in $window. A dialog
# that does not appear (under its caption) is a failure, and the installer is ended.
start() {
  local home=$1
  shift
  mkdir -p "$home"
  env HOME="$home" XDG_CONFIG_HOME="$home/.config" "$@" "$work/inst" >"$work/out" 2>&1 &
  installer_pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name "^$caption\$" | head -n1)
  [ -n "$window" ] || {
    echo "FAILED: the dialog \"$caption\" did not appear; the installer said:"
    cat "$work/out"
    failures=$((failures + 1))
    kill "$installer_pid" 2>/dev/null
    wait "$installer_pid" 2>/dev/null
    installer_pid=
    return 1
  }
  eval "$(xdotool getwindowgeometry --shell "$window")"  # X Y WIDTH HEIGHT
  win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
}

# box: waits for the installer's message box (titled with the program's name), its id in $box.
box() {
  box=$(timeout 10 xdotool search --sync --onlyvisible --name '^inst$' | head -n1)
  [ -n "$box" ]
}

# key WINDOW KEY: a key press with the keyboard focus on that window.
key() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.2
  xdotool key --clearmodifiers "$2"
}

# click X Y: a click at a point given in template units of the dialog (487 x 169).
click() {
  xdotool mousemove --sync $((win_x + $1 * win_w / 487)) $((win_y + $2 * win_h / 169))
  sleep 0.1
  xdotool click 1
}

ended() {  # waits up to thirty seconds for the installer to end, without a sanitizer's report
  local i
  for i in $(seq 1 300); do
    if ! kill -0 "$installer_pid" 2>/dev/null; then
      wait "$installer_pid" 2>/dev/null
      installer_pid=
      if grep -q 'Sanitizer' "$work/out"; then
        cat "$work/out"
        return 1
      fi
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# shot FILE: the dialog window as it is on the screen now.
shot() {
  import -window root "$work/root.png" &&
    convert "$work/root.png" -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage "$1"
}

installed() {  # installed HOME: every sample file in place
  sample_installed "$source" "$1/Documents/QIB"
}

"$pack" create "$source/sample" -o "$work/s.vqm" >/dev/null || exit 1
"$pack" wrap --stub "$stub" --package "$work/s.vqm" -o "$work/inst" >/dev/null || exit 1

# 0. The bare stub has no payload: two boxes one after the other, and the dialog never shows.
home=$work/h0
mkdir -p "$home"
env HOME="$home" XDG_CONFIG_HOME="$home/.config" "$stub" >"$work/out" 2>&1 &
installer_pid=$!
first=no second=no
if box_of_stub=$(timeout 20 xdotool search --sync --onlyvisible --name '^larkspan$' | head -n1) &&
  [ -n "$box_of_stub" ]; then
  first=yes
  key "$box_of_stub" Return
  sleep 0.5
  if box_of_stub=$(timeout 10 xdotool search --sync --onlyvisible --name '^larkspan$' | head -n1) &&
    [ -n "$box_of_stub" ]; then
    second=yes
    check "the dialog never appears" not xdotool search --onlyvisible --name "^$caption\$"
    key "$box_of_stub" Return
  fi
fi
check "bare stub: a box for the missing payload" test $first = yes
check "bare stub: a box for the missing staging file" test $second = yes
check "bare stub: ends after the boxes" ended

# 1. The dialog as shown: the title image in its frame, the fields filled. Enter installs,
#    Enter closes the success box.
home=$work/h1
if start "$home"; then
  # The picture window paints its background red, green and blue 16; the box around those
  # pixels left of the name box (black text can have them too) is the frame, wherever the
  # font put it.
  for i in $(seq 1 50); do
    shot "$work/dialog.png"
    frame=$(convert "$work/dialog.png" -crop "$((243 * win_w / 487))x${win_h}+0+0" +repage \
      -fill white +opaque 'rgb(16,16,16)' -format '%@' info:)
    [ "${frame%%x*}" -gt 10 ] 2>/dev/null && break
    sleep 0.1
  done
  IFS='x+' read -r fw fh fx fy <<<"$frame"
  echo "window ${win_w}x${win_h} at $win_x,$win_y on $(xdotool getdisplaygeometry)," \
    "frame ${fw}x${fh} at $fx,$fy"
  check "the dialog opens centred on the screen" centred "$win_x" "$win_y" "$win_w" "$win_h"
  check "frame at the template's place and size" \
    near "$(awk -v a="$fx" -v b="$win_w" 'BEGIN { print a / b }')" "$(awk 'BEGIN { print 7 / 487 }')" 0.01
  check "frame width in proportion" near "$(awk -v a="$fw" -v b="$win_w" 'BEGIN { print a / b }')" \
    "$(awk 'BEGIN { print 227 / 487 }')" 0.01
  check "frame height in proportion" near "$(awk -v a="$fh" -v b="$win_h" 'BEGIN { print a / b }')" \
    "$(awk 'BEGIN { print 155 / 169 }')" 0.01
  check "the frame's centre shows the picture" \
    test "$(pixel "$work/dialog.png" $((fx + fw / 2)) $((fy + fh / 2)))" != "16,16,16"
  left=$(pixel "$work/dialog.png" "$fx" $((fy + fh / 2)))
  right=$(pixel "$work/dialog.png" $((fx + fw - 1)) $((fy + fh / 2)))
  top=$(pixel "$work/dialog.png" $((fx + fw / 2)) "$fy")
  bottom=$(pixel "$work/dialog.png" $((fx + fw / 2)) $((fy + fh - 1)))
  check "the picture leaves a dark border on two opposite sides" \
    bash -c "[ '$left$right' = '16,16,1616,16,16' ] || [ '$top$bottom' = '16,16,1616,16,16' ]"
  # The picture itself: the part of the frame that is not background keeps the title's 4:3.
  picture=$(convert "$work/dialog.png" -crop "${fw}x${fh}+${fx}+${fy}" +repage \
    -bordercolor 'rgb(16,16,16)' -border 1 -format '%@' info:)
  IFS='x+' read -r pw ph px py <<<"$picture"
  echo "picture ${pw}x${ph} at $px,$py in the frame"
  check "picture inside the frame" test "$pw" -le "$fw" -a "$ph" -le "$fh" -a "$pw" -gt 100
  check "picture keeps its 4:3 aspect" near "$(awk -v a="$pw" -v b="$ph" 'BEGIN { print a / b }')" 1.3333 0.02
  check "picture centred" near "$(awk -v a="$px" -v w="$pw" -v f="$fw" 'BEGIN { print (2 * a + w - 2) / f }')" 1 0.02
  # Text in the boxes: name, description, version, subfolder (template units, inset).
  ux() { echo $(($1 * win_w / 487)); }
  uy() { echo $(($1 * win_h / 169)); }
  check "name shown" dark "$work/dialog.png" "$(ux 245)" "$(uy 9)" "$(ux 100)" "$(uy 10)"
  check "description shown" dark "$work/dialog.png" "$(ux 245)" "$(uy 27)" "$(ux 150)" "$(uy 20)"
  check "version shown" dark "$work/dialog.png" "$(ux 326)" "$(uy 96)" "$(ux 20)" "$(uy 10)"
  check "subfolder shown" dark "$work/dialog.png" "$(ux 326)" "$(uy 117)" "$(ux 80)" "$(uy 10)"
  check "nothing drawn where the template has no control" \
    not dark "$work/dialog.png" "$(ux 360)" "$(uy 96)" "$(ux 100)" "$(uy 14)"

  key "$window" Return
  box && key "$box" Return
  check "Enter installs and Enter closes the success box; the installer ends" ended
  check "every file installed" installed "$home"
  check "staging file removed" test ! -e "$home/Documents/QIB/temp/data.vqm"
  check "title image copy kept" test -s "$home/Documents/QIB/temp/install.jpg"
fi

# 2. Again into the same folders: Enter answers the overwrite question with Yes.
if start "$home"; then
  key "$window" Return
  box && key "$box" Return  # "File Exist ... Continue Overwriting the template?"
  sleep 0.3
  box && key "$box" Return  # the success box
  check "Yes by Enter overwrites; the installer ends" ended
  check "files still in place" installed "$home"
fi

# 3. Escape cancels: nothing installed.
home=$work/h3
if start "$home"; then
  key "$window" Escape
  check "Escape ends the installer" ended
  check "Escape installs nothing" test ! -e "$home/Documents/QIB/objectpacks/Larkspan Sample"
  check "Escape keeps the staging file" test -e "$home/Documents/QIB/temp/data.vqm"
fi

# 4. The mouse: Cancel, then Install in another run.
home=$work/h4
if start "$home"; then
  click 455 155
  check "a click on Cancel ends the installer" ended
  check "Cancel installs nothing" test ! -e "$home/Documents/QIB/objectpacks"
fi
if start "$home"; then
  click 403 155
  box && key "$box" Return
  check "a click on Install installs" ended
  check "installed by the mouse" installed "$home"
fi

# 5. Pictures for the documentation. There is no window manager on this server, so they show
#    the windows without title bars.
if [ -n "$shots" ]; then
  mkdir -p "$shots"
  if start "$work/h5"; then
    sleep 0.5
    shot "$shots/dialog.png"
    key "$window" Return
    if box; then
      sleep 0.5
      import -window "$box" "$shots/message-box.png"
      key "$box" Return
    fi
    ended
  fi
  check "screenshots written" test -s "$shots/dialog.png" -a -s "$shots/message-box.png"
fi

finish
