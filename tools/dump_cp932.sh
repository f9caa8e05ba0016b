#!/usr/bin/env bash
# Writes the code page 932 lists in tools/cp932/ from the system's own conversion, as wine
# performs it on a Japanese system: builds tools/dump_cp932.cpp with MinGW-w64 and runs it in a
# new wine prefix. Then run tools/gen_cp932_table.py to bring engine/cp932_table.cpp and
# cli/cp932_decode_table.cpp up to date.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d /tmp/kalvex-cp932.XXXXXX)
trap 'tests/windows/wine-run.sh "$work/prefix" --end; rm -rf "$work"' EXIT
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Wpedantic -static \
  -o "$work/dump_cp932.exe" tools/dump_cp932.cpp
tests/windows/wine-run.sh "$work/prefix" --new-prefix >/dev/null 2>&1
mkdir -p tools/cp932
for list in trail5c:5c-trail-units lossy:lossy-units bytes:unit-bytes decode:decoded-codes; do
  tests/windows/wine-run.sh "$work/prefix" "$work/dump_cp932.exe" "${list%%:*}" \
    >"tools/cp932/${list#*:}.txt"
done
