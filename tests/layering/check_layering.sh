#!/usr/bin/env bash
# The layering rules, checked on every include line: system and toolkit headers only in
# src/platform/posix and src/ui/<front end> sources, and each layer including only the
# layers below it (app -> package, userdata, imaging -> framework -> platform, ui).
set -uo pipefail
src=${1:?source dir}/src
status=0

fail() {
  echo "layering: $*"
  status=1
}

system_headers='#include *<(gtk/|gdk/|glib|gio/|cairo|pango|X11/|unistd\.h|fcntl\.h|sys/|pwd\.h|dirent\.h|dlfcn\.h|turbojpeg\.h|png\.h|jpeglib\.h|windows\.h|xxhash\.h)'

# 1. System headers: only in the .cpp files of posix/ and of the front ends.
while IFS= read -r hit; do
  file=${hit%%:*}
  case "$file" in
    "$src"/platform/posix/*.cpp | "$src"/ui/console/*.cpp | "$src"/ui/gtk/*.cpp) ;;
    *) fail "system header outside a backend's sources: $hit" ;;
  esac
done < <(grep -rnE "$system_headers" "$src" --include='*.h' --include='*.cpp')

# 2. Direction: what each layer may not include.
check() {
  local layer=$1 forbidden=$2
  local hits
  hits=$(grep -rnE "#include \"($forbidden)/" "$src/$layer" --include='*.h' --include='*.cpp')
  [ -z "$hits" ] || fail "$layer includes a layer above it or a backend:"$'\n'"$hits"
}
backends='platform/posix|ui/console|ui/gtk|ui/offscreen'
check framework "app|package|userdata|imaging|resources|$backends"
check userdata "app|package|imaging|resources|$backends"
check imaging "app|package|userdata|resources|$backends"
check package "app|imaging|resources|$backends"
check resources "app|package|userdata|imaging|$backends"
check app "$backends"
for f in "$src"/platform/*.h "$src"/platform/*.cpp "$src"/platform/posix/*; do
  grep -nE '#include "(framework|app|package|userdata|imaging|resources|ui)/' "$f" >/dev/null &&
    fail "platform depends on a layer above it: $f"
done
for f in "$src"/ui/*.h; do
  grep -nE '#include "(framework|app|package|userdata|imaging|resources|platform)/' "$f" >/dev/null &&
    fail "the front-end seam depends on a layer above it: $f"
done

[ $status -eq 0 ] && echo "layering: ok"
exit $status
