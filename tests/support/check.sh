# Shared by the shell tests: `check DESCRIPTION COMMAND...` runs the command, prints ok or
# FAILED, and counts failures in $failures; `finish` prints the count and exits with it.
failures=0

check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

finish() {
  echo "$failures failed"
  [ "$failures" -eq 0 ]
  exit $?
}
