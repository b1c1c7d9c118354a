#!/usr/bin/env bash
# Makes the tests' Wine prefix once: WINEPREFIX and HOME come from the test's environment.
set -euo pipefail
: "${WINEPREFIX:?}" "${HOME:?}"
mkdir -p "$HOME"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1
  wineserver --wait
fi
test -f "$WINEPREFIX/system.reg"
