#!/usr/bin/env bash
# Drives the real executable in a real X session (Xvfb + openbox) as a user would:
# paste a text, type head and tail, choose escaping, press Enter, copy the result with
# Ctrl+C, read the X clipboard, close the result with Esc, then end with the "終了" button.
# Usage: e2e_test.sh KALVEX_EXECUTABLE [SCREENSHOT_DIR]
set -euo pipefail
kalvex=$1
shots=${2:-}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  pkill -f "xclip.*-display ${DISPLAY:-none}" 2>/dev/null || true
  [[ -n ${KEEP:-} ]] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "e2e: FAIL: $*" >&2
  xwininfo -root -tree 2>&1 | grep -E "\\(\"" | head -n 20 >&2 || true
  cat "$work"/*.log >&2 2>/dev/null || true
  exit 1
}
shot() { [[ -z $shots ]] || import -display "$DISPLAY" -window root -trim +repage "$shots/$1.png"; }

# A display of our own, so parallel tests and a developer's session do not meet.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x640x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
sleep 1  # openbox loses windows mapped while it is still starting

export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work
"$kalvex" >"$work/kalvex.log" 2>&1 &
app=$!
pids+=($app)

find_window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n1; }
main=$(find_window '^Kalvex$') || fail "no main window"
input=$(find_window '^Text\(') || fail "no input window"

# The input window stands against the main window's right edge, same top, width and height.
# Outer frame: the client's geometry grown by the frame extents the window manager reports.
geometry() {
  local l r t b
  IFS=', ' read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //')
  xwininfo -id "$1" | awk -v l="$l" -v r="$r" -v t="$t" -v b="$b" '
    /Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width/{w=$NF} /Height/{h=$NF}
    END{print x - l, y - t, w + l + r, h + t + b}'
}
read -r mx my mw mh < <(geometry "$main")
read -r ix iy iw ih < <(geometry "$input")
(( ix == mx + mw && iy == my && iw == mw && ih == mh )) ||
  fail "input window at $ix,$iy ${iw}x$ih, main at $mx,$my ${mw}x$mh"

# Minimizing the main window takes the input window along; restoring brings it back.
wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | awk '/window state/{print $NF}'; }
wait_state() {
  for _ in $(seq 50); do [[ $(wm_state "$1") == "$2" ]] && return 0; sleep 0.1; done
  return 1
}
xdotool windowminimize --sync "$main"
wait_state "$input" Iconic || fail "input window not minimized with the main window"
xdotool windowactivate --sync "$main"
wait_state "$input" Normal || fail "input window not restored with the main window"

printf '%s\n%s' '<p class="x">こんにちは</p>' '<a href="c:\dir">リンク</a>' |
  xclip -selection clipboard -i
xdotool windowactivate --sync "$input"
xdotool key --clearmodifiers ctrl+v
xdotool windowactivate --sync "$main"
sleep 0.2
# The focus starts in the head string; Tab walks head column, Tab button, tail string.
xdotool type --delay 20 'out.println("'
xdotool key Tab Tab Tab
xdotool type --delay 20 '");'
# On to the escape options, and down to the backslash style for Java.
xdotool key Tab Tab Tab Down Down
shot main
xdotool key Return

result=$(find_window '^編集結果') || fail "no result window after Enter"
xdotool windowactivate --sync "$result" 2>/dev/null || true
sleep 0.2
shot result
xdotool key ctrl+c
expected=$(printf '%s\r\n%s\r\n' 'out.println("<p class=\"x\">こんにちは</p>");' \
  'out.println("<a href=\"c:\\dir\">リンク</a>");' | od -An -tx1)
for _ in $(seq 50); do
  copied=$(xclip -selection clipboard -o 2>/dev/null | od -An -tx1)
  [[ $copied == "$expected" ]] && break
  sleep 0.1
done
[[ $copied == "$expected" ]] || fail "clipboard holds:$(xclip -selection clipboard -o | od -c | head)"

xdotool key Escape
for _ in $(seq 50); do xdotool search --onlyvisible --name '^編集結果' >/dev/null || break; sleep 0.1; done
! xdotool search --onlyvisible --name '^編集結果' >/dev/null || fail "Esc left the result window open"

# "終了" ends the program at once.
xdotool windowactivate --sync "$main"
read -r _ _ cw ch < <(xwininfo -id "$main" | awk '/Width/{w=$NF} /Height/{h=$NF} END{print 0, 0, w, h}')
menu=$(( ch - 175 ))  # the client area under the menu bar is 175 pixels high
xdotool mousemove --window "$main" 256 $(( menu + 156 )) click 1
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program still runs after 終了"
wait "$app" || fail "the program exited with status $?"
# Closing the main window ends the program, even with a result window left hidden by a
# failed Edit.
"$kalvex" >>"$work/kalvex.log" 2>&1 &
app=$!
pids+=($app)
main=$(find_window '^Kalvex$') || fail "no main window on the second start"
find_window '^Text\(' >/dev/null || fail "no input window on the second start"
xdotool windowactivate --sync "$main"
xdotool type --delay 20 'x'
xdotool key Tab
xdotool type --delay 20 'z'
xdotool key Return
find_window '^入力エラー$' >/dev/null || fail "no input-error message"
xdotool key Return
for _ in $(seq 50); do xdotool search --onlyvisible --name '^入力エラー$' >/dev/null || break; sleep 0.1; done
xdotool windowactivate --sync "$main"
xdotool key alt+F4
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program still runs after its main window was closed"
wait "$app" || fail "the program exited with status $? after its main window was closed"
echo "e2e: 2 passed, 0 failed"
