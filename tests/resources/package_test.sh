#!/usr/bin/env bash
# Builds the Debian package with CPack, unpacks it into a scratch root (dpkg-deb -x) and checks
# its metadata and files.
# Usage: package_test.sh BUILD_DIR APP_ID PROJECT_VERSION "ICON SIZES"
set -euo pipefail
build=$1 id=$2 version=$3 sizes=$4
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# shellcheck source=desktop_files.sh
source "$here/desktop_files.sh"

# The package, built from the current build tree.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; exit 1; }
debs=("$work"/out/*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { fail "expected one .deb, got: ${debs[*]}"; exit 1; }
deb=${debs[0]}

field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == kalvex ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)', not $version"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "Architecture is '$(field Architecture)'"
[[ $(field Depends) == *libqt6widgets6* ]] || fail "Depends lacks Qt Widgets: $(field Depends)"
[[ $(field Depends) == *qt6-qpa-plugins* ]] || fail "Depends lacks the Qt platform plugins"
[[ -n $(field Maintainer) && -n $(field Description) ]] || fail "no Maintainer or Description"

# Everything lives under /usr, nothing in /usr/local or elsewhere.
if dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v -e '^\./$' -e '^\./usr/' \
    -e '^\./usr$' | grep .; then
  fail "files outside /usr"
fi
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -q '^\./usr/local' && fail "files in /usr/local"

root=$work/root
dpkg-deb -x "$deb" "$root"
check_desktop_integration "$root" /usr "$id" "$sizes"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "AppStream metadata does not list release $version"

((failures == 0)) || exit 1
echo "package_test: $(basename "$deb") unpacks and its files are in place"
