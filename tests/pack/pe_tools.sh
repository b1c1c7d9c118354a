#!/usr/bin/env bash
# The Windows test stub wrapped by larkspan-pack, as other programs see it: wrestool lists
# and extracts its resources (the stub's own ones unchanged), pefile parses it and agrees
# with its checksum, and Wine loads it and finds SETUP 129 with the package's bytes.
#   pe_tools.sh LARKSPAN_PACK STUB SOURCE_DIR WORK_DIR PYTHON3 WRESTOOL WINE64
# Exits 77 (skipped) when a tool is missing, unless CI=true, where that is a failure.
set -uo pipefail
pack=$1 stub=$2 source=$3 work=$4 python=$5 wrestool=$6 wine=$7
. "$source/tests/support/check.sh"

missing=()
[ -n "$stub" ] && [ -f "$stub" ] || missing+=("the Windows test stub (mingw-w64)")
[ -n "$wrestool" ] || missing+=("wrestool (icoutils)")
{ [ -n "$python" ] && "$python" -c 'import pefile' 2>/dev/null; } || missing+=("python3-pefile")
[ -n "$wine" ] || missing+=("wine64")
if ((${#missing[@]})); then
  if [ "${CI:-}" = true ]; then
    echo "FAILED: missing ${missing[*]}"
    exit 1
  fi
  echo "skipped: missing ${missing[*]}"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work/home"
"$pack" create "$source/sample" -o "$work/s.vqm" >/dev/null || exit 1
"$pack" wrap --stub "$stub" --package "$work/s.vqm" -o "$work/setup.exe" || exit 1
size=$(stat -c %s "$work/s.vqm")

# wrestool: the payload listed and extracted; every resource of the stub still there, the same.
"$wrestool" -l "$work/setup.exe" >"$work/listing"
check "wrestool lists SETUP 129 1033 with the package's size" \
  grep -qx -- "--type='SETUP' --name=129 --language=1033 \[offset=0x[0-9a-f]* size=$size\]" \
  "$work/listing"
check "wrestool lists XXH3 129 1033 of 8 bytes" \
  grep -qx -- "--type='XXH3' --name=129 --language=1033 \[offset=0x[0-9a-f]* size=8\]" \
  "$work/listing"
"$wrestool" -x --raw --type=SETUP --name=129 "$work/setup.exe" >"$work/setup.bin"
check "wrestool extracts exactly the package's bytes" cmp "$work/s.vqm" "$work/setup.bin"
"$wrestool" -l "$stub" >"$work/stub-listing"
check "the installer holds the stub's resources and two more" \
  test "$(wc -l <"$work/listing")" -eq $(($(wc -l <"$work/stub-listing") + 2))
same=0
while read -r type name language _; do
  "$wrestool" -x --raw "$type" "$name" "$language" "$stub" >"$work/a"
  "$wrestool" -x --raw "$type" "$name" "$language" "$work/setup.exe" >"$work/b"
  if [ -s "$work/a" ] && cmp -s "$work/a" "$work/b"; then
    same=$((same + 1))
  else
    echo "differs: $type $name $language"
  fi
done <"$work/stub-listing"
check "each of the stub's $(wc -l <"$work/stub-listing") resources comes out byte for byte" \
  test "$same" -eq "$(wc -l <"$work/stub-listing")"

# pefile: parses the installer, checksum as the standard algorithm computes it, the payload
# where the resource directory says. Again after wrapping the installer with another package.
pefile_check() {
  "$python" - "$1" "$2" <<'PY'
import sys
import pefile

pe = pefile.PE(sys.argv[1])
package = open(sys.argv[2], "rb").read()
assert pe.verify_checksum(), "verify_checksum() is False"
assert pe.OPTIONAL_HEADER.CheckSum == pe.generate_checksum(), (
    hex(pe.OPTIONAL_HEADER.CheckSum), hex(pe.generate_checksum()))
types = {str(t.name) if t.name is not None else t.id: t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries}
setup = types["SETUP"].directory.entries[0]
assert setup.id == 129, setup.id
language = setup.directory.entries[0]
assert language.id == 1033, language.id
data = language.data.struct
assert pe.get_data(data.OffsetToData, data.Size) == package, "the payload differs"
assert len(pe.sections) == len(set(s.VirtualAddress for s in pe.sections))
print("pefile: checksum 0x%08X, %d sections, %d resource types"
      % (pe.OPTIONAL_HEADER.CheckSum, len(pe.sections), len(types)))
PY
}
check "pefile parses the installer and agrees with its checksum" \
  pefile_check "$work/setup.exe" "$work/s.vqm"
"$python" -c "import sys; sys.stdout.buffer.write(bytes(range(256)) * 3000)" >"$work/noise"
mkdir -p "$work/big/objectpacks"
cp -r "$source/sample/." "$work/big/"
cp "$work/noise" "$work/big/objectpacks/noise.qop"
"$pack" create "$work/big" -o "$work/big.vqm" >/dev/null || exit 1
"$pack" wrap --stub "$work/setup.exe" --package "$work/big.vqm" -o "$work/bigger.exe" || exit 1
check "pefile agrees again after the installer's payload was replaced" \
  pefile_check "$work/bigger.exe" "$work/big.vqm"
check "verify accepts the installer whose payload was replaced" \
  "$pack" verify "$work/bigger.exe"

# Wine: the loader maps the image and FindResourceW finds the payload, bytes intact.
export WINEPREFIX="$work-wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
  HOME="$work/home"
hash=$("$python" -c '
import sys
h = 0xcbf29ce484222325
for b in open(sys.argv[1], "rb").read():
    h = ((h ^ b) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
print("%016x" % h)' "$work/s.vqm")
out=$(timeout 300 "$wine" "$work/setup.exe" 2>"$work/wine.err" | tr -d '\r')
check "Wine runs the installer, which finds its $size-byte payload intact" \
  test "$out" = "SETUP 129: $size bytes, FNV-1a $hash"
out=$(timeout 120 "$wine" "$stub" 2>>"$work/wine.err" | tr -d '\r')
check "Wine runs the bare stub, which finds no payload" test "$out" = "no SETUP 129"
"$(dirname "$wine")/wineserver" -k 2>/dev/null
finish
