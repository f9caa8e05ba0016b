#!/usr/bin/env bash
# Builds the Debian package with CPack, unpacks it into a scratch root (dpkg-deb -x) and checks
# its metadata and files.
# Usage: package_test.sh BUILD_DIR APP_ID PROJECT_VERSION "ICON SIZES"
set -euo pipefail
build=$1 id=$2 version=$3 sizes=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

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
dpkg-deb --contents "$deb" | awk '$6 !~ /^\.\/(usr(\/|$)|$)/ || $6 ~ /^\.\/usr\/local/ {print $6}' |
  grep . && fail "files outside /usr or in /usr/local"

root=$work/root
dpkg-deb -x "$deb" "$root"

# The program, its desktop entry, its icons and its AppStream metadata, where desktops look.
share=$root/usr/share
desktop=$share/applications/$id.desktop
metainfo=$share/metainfo/$id.metainfo.xml

[[ -x $root/usr/bin/Kalvex ]] || fail "no executable /usr/bin/Kalvex"
# kalvex-cli with its manual page, which man reads without a warning.
[[ $("$root/usr/bin/kalvex-cli" --version | head -n1) == "kalvex-cli (Kalvex) $version" ]] ||
  fail "no working /usr/bin/kalvex-cli"
man1=$root/usr/share/man/man1
[[ -f $man1/kalvex-cli.1 ]] || fail "no manual page kalvex-cli.1"
report=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man1/kalvex-cli.1" 2>&1 >/dev/null) ||
  fail "man cannot read kalvex-cli.1"
[[ -z $report ]] || fail "man warns about kalvex-cli.1: $report"
[[ -f $desktop ]] || { fail "no desktop entry $desktop"; exit 1; }
[[ -f $metainfo ]] || fail "no AppStream metadata $metainfo"

# The desktop entry: valid (hints allowed, e.g. that it sits in two main categories) and
# with the fields the menus show.
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
if grep -E 'error:|warning:' <<<"$report"; then fail "desktop-file-validate complains"; fi
entry() { sed -n "s/^$1=//p" "$desktop"; }
for k in Name Exec; do [[ $(entry $k) == Kalvex ]] || fail "desktop $k is '$(entry $k)'"; done
[[ -n $(entry Comment) ]] || fail "desktop entry has no English comment"
[[ $(entry 'Comment\[ja\]') == *HTML* ]] || fail "desktop entry has no Japanese comment"
for c in Development Utility; do [[ ";$(entry Categories)" == *";$c;"* ]] || fail "not in $c"; done
[[ $(entry Icon) == "$id" ]] || fail "desktop Icon is '$(entry Icon)', not $id"

# The icon that name finds in the hicolor theme, at each size, really of that size.
for size in $sizes; do
  png=$share/icons/hicolor/${size}x${size}/apps/$id.png
  if [[ ! -f $png ]]; then fail "no icon $png"; continue; fi
  file "$png" | grep -q "PNG image data, $size x $size," || fail "$png: $(file -b "$png")"
done
png=$share/icons/hicolor/scalable/apps/$id.svg
file "$png" | grep -q "SVG" || fail "no scalable icon $png"

# AppStream metadata, checked together with the desktop entry it launches.
report=$(appstreamcli validate-tree --no-net --strict "$root/usr" 2>&1) ||
  fail "appstreamcli validate-tree: $report"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "AppStream metadata does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "AppStream lacks release $version"

((failures == 0)) || exit 1
echo "package_test: $(basename "$deb") unpacks and its files are in place"
