#!/usr/bin/env bash
# The Debian package of Larkspan: built by CPack from the build folder, unpacked into a
# scratch folder, and its larkspan-pack wraps the sample with the stub it brings, found by
# itself (no --stub), into an installer that installs.
#   debian_package.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1 source=$2
source "$(dirname "$0")/../support/check.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cpack -G DEB -B "$work/cpack" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  check "cpack makes the package" false
  finish
fi
deb=$(ls "$work"/cpack/larkspan_*.deb)
field() { dpkg-deb -f "$deb" "$1"; }
check "Package: larkspan" test "$(field Package)" = larkspan
check "Version: the project's ($(field Version))" test "$(field Version)" = 1.0.0.1
check "Architecture: amd64" test "$(field Architecture)" = amd64
check "Maintainer set" test -n "$(field Maintainer)"
check "Description set" test -n "$(field Description)"
check "Depends on the C library ($(field Depends))" bash -c "dpkg-deb -f '$deb' Depends | grep -q 'libc6'"
check "Depends on the C++ runtime of larkspan-pack" bash -c "dpkg-deb -f '$deb' Depends | grep -q 'libstdc++6'"

# Unpacked anywhere, the tool finds its stub beside itself.
root=$work/somewhere/else
mkdir -p "$root"
dpkg-deb -x "$deb" "$root"
pack=$root/usr/bin/larkspan-pack
check "larkspan-pack installed" test -x "$pack"
check "the Linux stub installed" test -x "$root/usr/lib/larkspan/linux/larkspan"
"$pack" create "$source/sample" -o "$work/s.vqm" >/dev/null
check "wrap finds the installed stub by itself" "$pack" wrap --package "$work/s.vqm" -o "$work/inst"
check "the installer carries the package" bash -c "'$pack' verify '$work/inst' >/dev/null"
home=$work/home
mkdir -p "$home"
printf 'i\n\n' | env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/.config" \
  "$work/inst" >"$work/out" 2>&1
check "the installer installs" grep -qF 'Premium template were installed.' "$work/out"
first=$(ls "$source/sample/objectpacks" | head -n 1)
check "its files are in place" cmp -s "$source/sample/objectpacks/$first" \
  "$home/Documents/QIB/objectpacks/Larkspan Sample/$first"
# machine FILE: the PE file header's Machine field of a Windows program, in hex.
machine() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' '
}
# The Windows stubs, each when the build had it: x86 by default, x86-64 with --arch x64.
for stub in "x86::014c" "x64:--arch x64:8664"; do
  IFS=: read -r arch args code <<<"$stub"
  [ -e "$root/usr/lib/larkspan/windows/$arch/larkspan.exe" ] || continue
  check "--platform windows${args:+ $args} wraps the installed $arch stub" \
    "$pack" wrap --platform windows $args --package "$work/s.vqm" -o "$work/setup-$arch.exe"
  check "... into a Windows installer" bash -c "'$pack' verify '$work/setup-$arch.exe' >/dev/null"
  check "... for $arch (Machine 0x$code)" test "$(machine "$work/setup-$arch.exe")" = "$code"
done
rm -f "$root/usr/lib/larkspan/linux/larkspan"
check "without a stub, wrap says where it looked" bash -c \
  "'$pack' wrap --package '$work/s.vqm' -o '$work/none' 2>&1 | grep -q 'no linux installer stub installed'"
finish
