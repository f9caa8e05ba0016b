# shellcheck shell=bash
# Checks of an installed tree shared by the install and package tests; sourced, not run.
# Needs: fail() defined by the caller; desktop-file-validate, appstreamcli and file.

# check_desktop_integration ROOT PREFIX APP_ID "ICON SIZES..."
check_desktop_integration() {
  local root=$1 prefix=$2 id=$3 sizes=$4
  local share=$root$prefix/share
  local desktop=$share/applications/$id.desktop
  local metainfo=$share/metainfo/$id.metainfo.xml

  [[ -x $root$prefix/bin/Kalvex ]] || fail "no executable $prefix/bin/Kalvex"
  [[ -f $desktop ]] || { fail "no desktop entry $desktop"; return; }
  [[ -f $metainfo ]] || fail "no AppStream metadata $metainfo"

  # The desktop entry: valid (hints allowed, e.g. that it sits in two main categories) and
  # with the fields the menus show.
  local report
  report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
  if grep -E 'error:|warning:' <<<"$report"; then fail "desktop-file-validate complains"; fi
  entry() { sed -n "s/^$1=//p" "$desktop"; }
  [[ $(entry Name) == Kalvex ]] || fail "desktop Name is '$(entry Name)'"
  [[ $(entry Exec) == Kalvex ]] || fail "desktop Exec is '$(entry Exec)'"
  [[ -n $(entry Comment) ]] || fail "desktop entry has no English comment"
  [[ $(entry 'Comment\[ja\]') == *HTML* ]] || fail "desktop entry has no Japanese comment"
  [[ ";$(entry Categories)" == *";Development;"* ]] || fail "not in Development"
  [[ ";$(entry Categories)" == *";Utility;"* ]] || fail "not in Utility"
  [[ $(entry Icon) == "$id" ]] || fail "desktop Icon is '$(entry Icon)', not $id"

  # The icon that name finds in the hicolor theme, at each size, really of that size.
  local size png
  for size in $sizes; do
    png=$share/icons/hicolor/${size}x${size}/apps/$id.png
    if [[ ! -f $png ]]; then fail "no icon $png"; continue; fi
    file "$png" | grep -q "PNG image data, $size x $size," || fail "$png: $(file -b "$png")"
  done
  png=$share/icons/hicolor/scalable/apps/$id.svg
  file "$png" | grep -q "SVG" || fail "no scalable icon $png"

  # AppStream metadata, checked together with the desktop entry it launches.
  report=$(appstreamcli validate-tree --no-net --strict "$root$prefix" 2>&1) ||
    fail "appstreamcli validate-tree: $report"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "AppStream metadata does not launch $id.desktop"
}
