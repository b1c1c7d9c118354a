# Shared by the shell tests: `check DESCRIPTION COMMAND...` runs the command, prints ok or
# FAILED, and counts failures in $failures; `finish` prints the count and exits with it;
# `holds FILE TEXT` is true when FILE holds TEXT, every line of it in order, as one piece.
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

holds() {
  python3 -c 'import sys; sys.exit(sys.argv[2].encode() not in open(sys.argv[1], "rb").read())' "$1" "$2"
}

finish() {
  echo "$failures failed"
  [ "$failures" -eq 0 ]
  exit $?
}
