#!/usr/bin/env bash
# Remakes docs/dialog.png and docs/message-box.png from the real installer on a private
# X server, by running the desktop end-to-end test with its pictures turned on.
#   tests/ui/screenshots.sh [BUILD_DIR]      (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
exec bash "$top/tests/ui/gtk_e2e.sh" "$build/larkspan" "$build/larkspan-pack" "$top" "$top/docs"
