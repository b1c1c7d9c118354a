#!/usr/bin/env bash
# Runs a command on a private X server: with_xvfb.sh COMMAND [ARGS...]
# Exit status: the command's, or 77 (skipped) when Xvfb is not installed.
set -uo pipefail
. "$(dirname "$0")/xvfb_session.sh"
start_xvfb
status=$?
[ $status -eq 0 ] || exit $status
trap stop_xvfb EXIT
"$@"
