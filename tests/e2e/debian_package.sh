#!/usr/bin/env bash
# The Debian package of Larkspan: built by CPack from the build folder, unpacked into a
# scratch folder, and its larkspan-pack wraps the sample with the stub it brings, found by
# itself (no --stub), into an installer that installs. In a build that ships (shipped: not a
# sanitizer build) Debian's checker reports no error and no warning on the package, and the
# stubs are small, without debug information, and exactly what an installer starts with.
#   debian_package.sh BUILD_DIR SOURCE_DIR shipped|unshipped
set -uo pipefail
build=$1 source=$2 shipped=${3:-shipped}
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
# larkspan-pack is an ordinary program of the system: the codecs and the checksum come from
# Debian's shared libraries, which dpkg-shlibdeps turned into dependencies.
for library in libturbojpeg0 libpng16-16 libxxhash0; do
  check "Depends on $library ($(field Depends))" \
    bash -c "dpkg-deb -f '$deb' Depends | tr ',' '\n' | grep -q '^ *$library '"
done
summary=$(field Description | head -n 1)
check "the short description has at most 80 characters (${#summary})" test "${#summary}" -le 80

# Unpacked anywhere, the tool finds its stub beside itself.
root=$work/somewhere/else
mkdir -p "$root"
dpkg-deb -x "$deb" "$root"
pack=$root/usr/bin/larkspan-pack
stub=$root/usr/lib/larkspan/linux/larkspan
winstubs=("$root/usr/lib/larkspan/windows/x86/larkspan.exe" "$root/usr/lib/larkspan/windows/x64/larkspan.exe")
doc=$root/usr/share/doc/larkspan
check "larkspan-pack installed" test -x "$pack"
check "the Linux stub installed" test -x "$stub"
check "--version names the tool and its version" test "$("$pack" --version)" = "larkspan-pack 1.0.0.1"
check "the manual page installed, compressed" gzip -t "$root/usr/share/man/man1/larkspan-pack.1.gz"
check "the changelog installed, compressed" gzip -t "$doc/changelog.gz"
check "the copyright file is packaging/copyright" cmp -s "$doc/copyright" "$source/packaging/copyright"
check "the copyright file is machine-readable" \
  test "$(head -n 1 "$doc/copyright")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
check "the copyright file names the licence of our code" \
  bash -c "grep -qx 'Copyright: 2026 the Larkspan developers' '$doc/copyright'"

# The notices of the libraries linked into the Linux stub travel inside it, readable by the
# tool and by strings, and they are the stub's paragraphs of the copyright file.
"$pack" notices "$stub" >"$work/notices" 2>"$work/notices.err"
check "notices reads the stub's notices" test -s "$work/notices" -a ! -s "$work/notices.err"
for library in "libjpeg-turbo 2" "libpng 1" "zlib 1" "xxHash 0" "GCC runtime libraries"; do
  check "the stub's notices cover $library" grep -q "^Comment: .*$library" "$work/notices"
done
check "the stub's notices give the IJG's acknowledgement" \
  grep -qx ' This software is based in part on the work of the Independent JPEG Group.' "$work/notices"
check "the stub's notices leave out what only the tool carries" \
  bash -c "! grep -q 'CLI11\|nlohmann' '$work/notices'"
check "strings shows the stub's notices as they are" \
  bash -c "strings -n 1 '$stub' | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/'"
"$pack" create "$source/sample" -o "$work/s.vqm" >/dev/null
check "wrap finds the installed stub by itself" "$pack" wrap --package "$work/s.vqm" -o "$work/inst"
check "the installer carries the package" bash -c "'$pack' verify '$work/inst' >/dev/null"
# An installer is the stub, the package and the resource table (one 56-byte entry and the
# 24-byte trailer), nothing more.
size() { stat -c %s "$1"; }
check "installer = stub + package + table ($(size "$work/inst") bytes)" \
  test "$(size "$work/inst")" -eq $(($(size "$stub") + $(size "$work/s.vqm") + 56 + 24))
check "... the stub's bytes first" cmp -s -n "$(size "$stub")" "$stub" "$work/inst"
check "... then the package's" \
  cmp -s -n "$(size "$work/s.vqm")" "$work/s.vqm" <(tail -c +"$(($(size "$stub") + 1))" "$work/inst")
check "the installer carries the stub's notices" \
  bash -c "'$pack' notices '$work/inst' | cmp -s - '$work/notices'"
home=$work/home
mkdir -p "$home"
printf 'i\n\n' | env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/.config" \
  "$work/inst" >"$work/out" 2>&1
check "the installer installs" grep -qF 'Premium template were installed.' "$work/out"
first=$(ls "$source/sample/objectpacks" | head -n 1)
check "its files are in place" cmp -s "$source/sample/objectpacks/$first" \
  "$home/Documents/QIB/objectpacks/Larkspan Sample/$first"
if [ "$shipped" = shipped ]; then
  # No debug information in what is handed out, and small stubs.
  check "the Linux stub holds no debug information" \
    bash -c "! readelf -S '$stub' | grep -q ' \.debug_'"
  check "larkspan-pack holds no debug information" \
    bash -c "! readelf -S '$pack' | grep -q ' \.debug_'"
  check "the Linux stub is at most 2 MB ($(size "$stub") bytes)" test "$(size "$stub")" -le 2000000
  for winstub in "${winstubs[@]}"; do
    [ -e "$winstub" ] || continue
    check "the Windows stub $winstub holds no debug information" \
      bash -c "! x86_64-w64-mingw32-objdump -h '$winstub' | grep -q ' \.debug_'"
    check "the Windows stub $winstub is at most 400 KB ($(size "$winstub") bytes)" \
      test "$(size "$winstub")" -le 400000
  done
  if lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1; then
    check "lintian reports no error and no warning" true
  else
    cat "$work/lintian"
    check "lintian reports no error and no warning" false
  fi
fi
# machine FILE: the PE file header's Machine field of a Windows program, in hex.
machine() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' '
}
# The Windows stubs, each when the build had it: x86 by default, x86-64 with --arch x64.
for stub_of in "x86::014c" "x64:--arch x64:8664"; do
  IFS=: read -r arch args code <<<"$stub_of"
  winstub=$root/usr/lib/larkspan/windows/$arch/larkspan.exe
  [ -e "$winstub" ] || continue
  check "--platform windows${args:+ $args} wraps the installed $arch stub" \
    "$pack" wrap --platform windows $args --package "$work/s.vqm" -o "$work/setup-$arch.exe"
  check "... into a Windows installer" bash -c "'$pack' verify '$work/setup-$arch.exe' >/dev/null"
  check "... for $arch (Machine 0x$code)" test "$(machine "$work/setup-$arch.exe")" = "$code"
  "$pack" notices "$winstub" >"$work/winnotices" 2>&1
  for library in "xxHash 0" "GCC runtime libraries" "mingw-w64 C runtime" "winpthreads"; do
    check "the $arch stub's notices cover $library" grep -q "^Comment: .*$library" "$work/winnotices"
  done
  check "the $arch stub's notices leave out the codecs it does not carry" \
    bash -c "! grep -q 'libjpeg-turbo\|libpng' '$work/winnotices'"
  check "the $arch installer carries the stub's notices" \
    bash -c "'$pack' notices '$work/setup-$arch.exe' | cmp -s - '$work/winnotices'"
done
rm -f "$root/usr/lib/larkspan/linux/larkspan"
check "without a stub, wrap says where it looked" bash -c \
  "'$pack' wrap --package '$work/s.vqm' -o '$work/none' 2>&1 | grep -q 'no linux installer stub installed'"
finish
