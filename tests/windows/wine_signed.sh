#!/usr/bin/env bash
# An installer signed after wrapping, as an author signs it: the wrapped sample signed with
# osslsigncode (SHA-256) by a throwaway key and self-signed certificate made here. The
# signature verifies against that certificate and covers the payload; the authoring tool
# lists, verifies and extracts the signed installer; it installs the sample under Wine; and
# wrapping it again warns and drops the signature.
#   wine_signed.sh LARKSPAN_EXE LARKSPAN_PACK SOURCE_DIR
# WINEPREFIX and HOME come from the test: the prefix's documents folder is $HOME.
# Exit status: 0 when every check passes, 77 (skipped) when Xvfb is not installed.
set -uo pipefail
stub=$1 pack=$2 source=$3
: "${WINEPREFIX:?}" "${HOME:?}"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../ui/screen_checks.sh"
. "$here/wine_gui_session.sh"

open_session || exit $?
source "$here/../support/check.sh"

export WINEDEBUG=-all,trace+msgbox
caption="QIB Template Install"
qib=$HOME/QIB
rm -rf "$qib"

# certificate NAME: a key and a self-signed code signing certificate, NAME.key and NAME.pem.
certificate() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Larkspan test $1" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/$1.key" -out "$work/$1.pem" 2>/dev/null
}
verifies() { # verifies FILE CERTIFICATE: the signature checks out against that certificate (which
  # also stands for the time stamp authority, so that no system list of authorities is read)
  osslsigncode verify -CAfile "$2" -TSA-CAfile "$2" -in "$1" >"$work/verify.out" 2>&1
}

certificate author || exit 1
certificate stranger || exit 1
"$pack" create "$source/sample" -o "$work/s.vqm" >/dev/null || exit 1
"$pack" wrap --stub "$stub" --package "$work/s.vqm" -o "$work/unsigned.exe" >/dev/null || exit 1
check "osslsigncode signs the wrapped installer" osslsigncode sign \
  -certs "$work/author.pem" -key "$work/author.key" -h sha256 -n "Larkspan Sample Templates" \
  -in "$work/unsigned.exe" -out "$work/setup.exe"
check "the signature verifies against the author's certificate" \
  verifies "$work/setup.exe" "$work/author.pem"
check "and not against another" not verifies "$work/setup.exe" "$work/stranger.pem"

# certificate_table FILE: the offset and size of the image's certificate table, "OFFSET SIZE".
certificate_table() {
  python3 -c 'import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
directories = pe + 24 + (112 if struct.unpack_from("<H", data, pe + 24)[0] == 0x20B else 96)
print(*struct.unpack_from("<II", data, directories + 4 * 8))' "$1"
}
read -r at size <<<"$(certificate_table "$work/setup.exe")"
check "the signed installer carries a certificate table" test "$size" -gt 0

# The payload lies inside the hashed part of the file: a changed byte of it breaks the signature.
python3 - "$work/s.vqm" "$work/setup.exe" "$work/changed.exe" <<'PY'
import sys
package = open(sys.argv[1], "rb").read()
installer = bytearray(open(sys.argv[2], "rb").read())
assert installer.count(package) == 1
installer[installer.index(package) + len(package) // 2] ^= 0xFF
open(sys.argv[3], "wb").write(installer)
PY
check "a changed payload byte breaks the signature" \
  not verifies "$work/changed.exe" "$work/author.pem"

# The authoring tool reads the signed installer as it reads the unsigned one.
"$pack" list "$work/unsigned.exe" >"$work/list.unsigned" 2>&1
"$pack" list "$work/setup.exe" >"$work/list.signed" 2>&1
check "list reads the signed installer" test "$(sed 1d "$work/list.signed")" = \
  "$(sed 1d "$work/list.unsigned")"
check "list names it with its own size" test "$(head -n1 "$work/list.signed")" = \
  "$(head -n1 "$work/list.unsigned" | sed "s|^file: [^ ]* ([0-9]* bytes|file: $work/setup.exe ($(stat -c %s "$work/setup.exe") bytes|")"
check "verify accepts the signed installer" "$pack" verify "$work/setup.exe"
check "extract unpacks the signed installer" "$pack" extract "$work/setup.exe" -C "$work/extracted"
"$pack" create "$work/extracted" -o "$work/again.vqm" >/dev/null 2>&1
check "what extract unpacked is the package again" cmp -s "$work/s.vqm" "$work/again.vqm"

# It installs.
check "the signed installer installs with Enter, Enter" install_by_keys setup
check "the success box, exactly" test "$(boxes)" = \
  'Premium template were installed.\r\nIf QIB is currenty running, you need to close it and start it again.'
check "every file installed, byte for byte" sample_installed "$source" "$qib"
rm -rf "$qib"

# Wrapping it again: a warning, and no signature left.
"$pack" wrap --stub "$work/setup.exe" --package "$work/s.vqm" -o "$work/rewrapped.exe" \
  >"$work/wrap.out" 2>"$work/wrap.err"
check "wrapping the signed installer succeeds" test $? -eq 0
check "wrapping it again warns that the signature was removed" test "$(cat "$work/wrap.err")" = \
  "larkspan-pack: warning: $work/setup.exe: its signature (the certificate table at offset $at, $size bytes) was removed; sign the installer after wrapping"
check "the rewrapped installer carries no signature" not verifies "$work/rewrapped.exe" "$work/author.pem"
check "and no certificate table" test "$(certificate_table "$work/rewrapped.exe")" = "0 0"
check "the rewrapped installer verifies as a package" "$pack" verify "$work/rewrapped.exe"
finish
