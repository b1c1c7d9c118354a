#!/usr/bin/env bash
# Makes the tests' Wine prefix once: WINEPREFIX and HOME come from the test's environment.
set -euo pipefail
: "${WINEPREFIX:?}" "${HOME:?}"
mkdir -p "$HOME"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1
  wineserver --wait
fi
# The tests' X servers have no window manager: Wine places and focuses its windows itself
# instead of waiting for one to answer (two seconds for every window shown).
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver --wait
fi
test -f "$WINEPREFIX/system.reg"
grep -q '"Managed"="N"' "$WINEPREFIX/user.reg"
