#!/usr/bin/env bash
# Remakes docs/windows-dialog.png and docs/windows-message-box.png from the wrapped sample
# installer under Wine on a private X server, by running the Windows end-to-end test with its
# pictures turned on. Needs the windows preset built and its Wine prefix made (ctest
# --preset windows does both), and build/larkspan-pack.
#   tests/windows/screenshots.sh [WINDOWS_BUILD_DIR]      (default: build-windows)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build-windows}" && pwd)
export WINEPREFIX=$build/wineprefix HOME=$build/wine-home WINEDLLOVERRIDES=mscoree,mshtml=
exec bash "$top/tests/windows/wine_gui_e2e.sh" "$build/larkspan.exe" "$top/build/larkspan-pack" \
  "$top" "$top/docs"
