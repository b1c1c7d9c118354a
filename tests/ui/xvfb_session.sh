# Sourced by the desktop tests: a private X server for the length of a test.
#   start_xvfb [SCREEN]   starts Xvfb on a free display (it picks the number itself), waits
#                         until it accepts clients, exports DISPLAY; returns 77 without Xvfb
#   stop_xvfb             ends that server (only the one started here)

xvfb_pid=
xvfb_dir=

start_xvfb() {
  local screen=${1:-1280x1024x24}
  command -v Xvfb >/dev/null || return 77
  xvfb_dir=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$xvfb_dir/display" \
    >"$xvfb_dir/log" 2>&1 &
  xvfb_pid=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$xvfb_dir/display" ]; then
      export DISPLAY=":$(head -n1 "$xvfb_dir/display")"
      unset WAYLAND_DISPLAY
      # The number is written once the server listens; one round trip proves it.
      if xdotool getdisplaygeometry >/dev/null 2>&1; then
        return 0
      fi
    fi
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
      break
    fi
    sleep 0.1
  done
  echo "xvfb: the server did not start:" >&2
  cat "$xvfb_dir/log" >&2
  stop_xvfb
  return 1
}

stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
  fi
  [ -z "$xvfb_dir" ] || rm -rf "$xvfb_dir"
  xvfb_dir=
}
