#!/usr/bin/env bash
# Builds the Debian package with CPack, unpacks it into a scratch root (dpkg-deb -x) and checks
# its metadata and files; then starts the unpacked program on a private X server and waits
# for its windows to appear, with the class the desktop entry names and the program's icon.
# Usage: package_test.sh BUILD_DIR APP_ID PROJECT_VERSION "ICON SIZES"
set -euo pipefail
build=$1 id=$2 version=$3 sizes=$4
here=$(dirname "$0")
work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
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

# The unpacked program starts: a private X server (it picks a free display itself), then
# the program, then wait until its windows are mapped.
exec 3>"$work/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; exit 1; }
DISPLAY=:$(head -n1 "$work/display")
export DISPLAY
unset QT_QPA_PLATFORM
"$root/usr/bin/Kalvex" >"$work/kalvex.log" 2>&1 &
kalvex=$!
pids+=("$kalvex")
windows=$(timeout 30 xdotool search --sync --onlyvisible --pid "$kalvex" || true)
if [[ -z $windows ]]; then
  cat "$work/kalvex.log" >&2
  fail "the installed program showed no window"
else
  kill -0 "$kalvex" 2>/dev/null || fail "the installed program exited"
  startup_class=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/$id.desktop")
  for w in $windows; do
    xprop -id "$w" WM_CLASS | grep -q "\"$startup_class\"" ||
      fail "window $w: $(xprop -id "$w" WM_CLASS) is not of class $startup_class"
    # The window shows the program's icon (drawn sizes only, so not a scaled fallback).
    icon_sizes=$(xprop -id "$w" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' || true)
    [[ -n $icon_sizes ]] || { fail "window $w ($(xprop -id "$w" WM_NAME)) has no icon"; continue; }
    for s in 16 32 48; do
      grep -q "($s x $s)" <<<"$icon_sizes" || fail "window $w has no ${s}-pixel icon"
    done
  done
fi

((failures == 0)) || exit 1
echo "package_test: $(basename "$deb") unpacks, its files are in place, and the program starts"
