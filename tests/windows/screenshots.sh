#!/usr/bin/env bash
# Remakes docs/windows-dialog.png and docs/windows-message-box.png from the wrapped sample
# installer under Wine on a private X server, by running the Windows end-to-end test with its
# pictures turned on, and docs/windows-dialog-144dpi.png by the test at 144 DPI. Needs the windows preset built and its Wine prefix made (ctest
# --preset windows does both), and build/larkspan-pack.
#   tests/windows/screenshots.sh [WINDOWS_BUILD_DIR]      (default: build-windows)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build-windows}" && pwd)
export WINEPREFIX=$build/wineprefix HOME=$build/wine-home WINEDLLOVERRIDES=mscoree,mshtml=
bash "$top/tests/windows/wine_gui_e2e.sh" "$build/larkspan.exe" "$top/build/larkspan-pack" \
  "$top" "$top/docs"
exec bash "$top/tests/windows/wine_dpi.sh" 144 "$build/tests/windows/dpi_probe.exe" \
  "$build/larkspan.exe" "$top/build/larkspan-pack" "$top" --shot "$top/docs/windows-dialog-144dpi.png"
