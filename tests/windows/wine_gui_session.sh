# Sourced by the tests that drive the installer's own windows under Wine on a private X
# server. The sourcing script sets $caption (the dialog's title).
#   open_session [SCREEN]  starts the private X server (1280x1024x24 unless SCREEN says) and
#                     makes the scratch folder $work (which holds the programs), both gone
#                     when the script ends (the EXIT trap, which also stops the Wine server
#                     of the prefix in use then); returns 77 when Xvfb is not installed
#   start NAME        runs $work/NAME.exe in the background, from $work; its pid in
#                     $installer_pid, its output in $work/out and $work/err
#   dialog            waits for the dialog; its id in $window
#   box NAME          waits for a message box titled NAME (the program's name); its id in $box
#   key WINDOW KEY    a key press with the keyboard focus on that window
#   ended             waits up to thirty seconds for the installer to end
#   boxes             the boxes' texts so far, one a line, as Wine's msgbox trace writes them
#   install_by_keys NAME   starts NAME, Enter on the dialog, Enter on the success box, and
#                     waits for the installer to end
#   stop_installer    ends the installer when it still runs

. "$(dirname "${BASH_SOURCE[0]}")/../ui/xvfb_session.sh"

installer_pid=
work=

open_session() {
  # A Wine server that an earlier test without a display left running for a few seconds
  # would take this session's programs, and its desktop has no screen: no window would
  # open. Its end is waited for first (30 s at the most).
  timeout 30 wineserver --wait || true
  start_xvfb "${1:-1280x1024x24}" || return $?
  work=$(mktemp -d)
  trap close_session EXIT
}
close_session() {
  stop_installer
  wineserver -k 2>/dev/null
  stop_xvfb
  [ -z "$work" ] || rm -rf "$work"
}

start() {
  (cd "$work" && exec wine "./$1.exe") >"$work/out" 2>"$work/err" </dev/null &
  installer_pid=$!
}
dialog() {
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$caption\$" | head -n1)
  [ -n "$window" ] || {
    echo "the dialog did not appear; Wine said:"
    cat "$work/err"
    return 1
  }
}
box() {
  box=$(timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1)
  [ -n "$box" ]
}
key() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.2
  xdotool key --clearmodifiers "$2"
}
ended() {
  local i
  for i in $(seq 1 300); do
    if ! kill -0 "$installer_pid" 2>/dev/null; then
      wait "$installer_pid" 2>/dev/null
      installer_pid=
      return 0
    fi
    sleep 0.1
  done
  return 1
}
boxes() {
  sed -n 's/^.*trace:msgbox:MSGBOX_OnInit L"\(.*\)"$/\1/p' "$work/err"
}
install_by_keys() {
  start "$1"
  dialog || return 1
  key "$window" Return
  box "$1" || return 1
  key "$box" Return
  ended
}
stop_installer() {
  if [ -n "$installer_pid" ]; then
    kill "$installer_pid" 2>/dev/null
    wait "$installer_pid" 2>/dev/null
    installer_pid=
  fi
}
