#!/usr/bin/env bash
# The layering check must fail on what it guards against: each case plants one violation in
# a copy of the tree and expects the check to name it.
set -uo pipefail
top=${1:?source dir}
check="$top/tests/layering/check_layering.py"
status=0

plant() {  # name, file under src/, line to add, text the report must hold
  local name=$1 file=$2 line=$3 expect=$4
  local work
  work=$(mktemp -d)
  cp -r "$top/src" "$work/src"
  mkdir -p "$(dirname "$work/src/$file")"
  printf '%s\n' "$line" >>"$work/src/$file"
  local out
  out=$(python3 "$check" "$work" 2>&1)
  local rc=$?
  rm -rf "$work"
  if [ $rc -eq 0 ] || ! grep -qF "$expect" <<<"$out"; then
    echo "layering self-test: '$name' was not caught (exit $rc): $out"
    status=1
  fi
}

plant "windows.h in the package layer" package/staging.cpp '#include <windows.h>' \
  'src/package/staging.cpp'
plant "windows.h in the Linux platform" platform/posix/posix_env.cpp '#include <windows.h>' \
  'Windows header outside the Windows folders'
plant "unistd.h in the framework" framework/file.cpp '#include <unistd.h>' \
  'src/framework/file.cpp'
plant "libpng outside the codecs" platform/posix/posix_env.cpp '#include <png.h>' \
  'header not of this wrapper'
plant "a system header in a backend's header" platform/posix/posix_env.h '#include <unistd.h>' \
  'src/platform/posix/posix_env.h'
plant "the framework reached from a Windows file" ui/win32/planted.cpp \
  $'#include <windows.h>\n#include "app/larkspan_app.h"' 'reaches the framework'
plant "the framework above the platform" platform/text.cpp '#include "framework/file.h"' \
  'platform includes a layer above it'
plant "a backend from the application" app/larkspan_app.cpp '#include "platform/posix/posix_env.h"' \
  'app includes a layer above it'

[ $status -eq 0 ] && echo "layering self-test: ok"
exit $status
