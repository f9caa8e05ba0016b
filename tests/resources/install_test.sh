#!/usr/bin/env bash
# Installs the build into a scratch prefix with cmake --install and checks that the program,
# its desktop entry, its icons and its AppStream metadata land where desktops look for them.
# Usage: install_test.sh BUILD_DIR APP_ID PROJECT_VERSION "ICON SIZES"
set -euo pipefail
build=$1 id=$2 version=$3 sizes=$4
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# shellcheck source=desktop_files.sh
source "$here/desktop_files.sh"

cmake --install "$build" --prefix "$work/usr" >"$work/install.log" ||
  { cat "$work/install.log" >&2; exit 1; }
check_desktop_integration "$work" /usr "$id" "$sizes"
grep -q "<release version=\"$version\"" "$work/usr/share/metainfo/$id.metainfo.xml" ||
  fail "AppStream metadata does not list release $version"

((failures == 0)) || exit 1
echo "install_test: installed program, desktop entry, icons and AppStream metadata are in place"
