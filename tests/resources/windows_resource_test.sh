#!/usr/bin/env bash
# Compiles the generated Windows resource script with the MinGW resource compiler and checks
# what the compiled resource holds: the version numbers, the Japanese string block with its
# texts in UTF-16LE, and the translation entry. (The icon's sizes are checked in the ICO file and
# on the running program's windows.)
# Usage: windows_resource_test.sh WINDRES RC_FILE PROJECT_VERSION COMPANY_NAME LEGAL_COPYRIGHT
set -euo pipefail
windres=$1 rc=$2 version=$3 company=$4 copyright=$5

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The host's C preprocessor: the cross compiler that windres would call is not installed.
"$windres" --preprocessor=cpp --preprocessor-arg=-DRC_INVOKED \
  --input "$rc" --output-format=res --output "$work/Kalvex.res"

# Byte strings as "xx xx ...": the whole resource, and a text in UTF-16LE.
hex() { od -An -tx1 -v | tr -s ' \n' '  ' | sed 's/^ //; s/ $//'; }
hex_utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | hex; }
res_hex=" $(hex <"$work/Kalvex.res") "
expect_utf16() {  # key value
  local k v
  k=$(hex_utf16 "$1") v=$(hex_utf16 "$2")
  # A String entry is its key, a NUL, zero padding to 32 bits, then the value and a NUL.
  if [[ $res_hex != *" $k 00 00 $v 00 00 "* && $res_hex != *" $k 00 00 00 00 $v 00 00 "* ]]; then
    fail "no UTF-16LE string $1 = $2"
  fi
}

IFS=. read -r major minor patch <<<"$version"
text_version=$(printf '%d.%02d' "$major" "$minor")  # the version as the program writes it
while IFS='|' read -r key value; do expect_utf16 "$key" "$value"; done <<STRINGS
Comments|ServletやASP、JSPのHTML部分の書き出しなんかに使える
CompanyName|$company
FileVersion|$text_version
InternalName|Kalvex
LegalCopyright|$copyright
OriginalFilename|Kalvex.exe
ProductName|Kalvex
ProductVersion|$text_version
STRINGS
[[ $res_hex == *" $(hex_utf16 041104b0) 00 00 "* ]] || fail "no string block 041104b0"

# The compiler's own reading of the binary resource for the numeric parts.
"$windres" --input "$work/Kalvex.res" --input-format=res --output-format=rc >"$work/decompiled.rc"
decompiled=$(tr -s ' \t' '  ' <"$work/decompiled.rc")
for line in "FILEVERSION $major, $minor, $patch, 0" "PRODUCTVERSION $major, $minor, $patch, 0" \
  'BLOCK "041104b0"' 'VALUE "Translation", 0x411, 1200' "LANGUAGE 17, 1" "FILETYPE 0x1"; do
  [[ $decompiled == *"$line"* ]] || fail "decompiled resource lacks: $line"
done
if ((failures)); then
  echo "--- decompiled resource ---" >&2
  grep -v '^  0x' "$work/decompiled.rc" >&2
  exit 1
fi
echo "windows_resource_test: the compiled resource holds the version information"
