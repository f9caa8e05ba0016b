#!/usr/bin/env bash
# Drives the real executable in a real X session (Xvfb + openbox) as a user would:
# paste a text, type head and tail, choose escaping, press Enter, copy the result with
# Ctrl+C, read the X clipboard, close the result with Esc, then end with the "終了" button.
# Usage: e2e_test.sh KALVEX_EXECUTABLE [SCREENSHOT_DIR]
#        e2e_test.sh --wine WINE_RUN PREFIX KALVEX_EXE [SCREENSHOT_DIR]   (the Windows build)
set -euo pipefail
wine=()
if [[ $1 == --wine ]]; then wine=("$2" "$3"); shift 3; fi
kalvex=$1
shots=${2:-}
here=$(dirname "$(readlink -f "$0")")
# Kalvex.exe runs at this DPI (the wine prefix's LogPixels); 96 unless the test says otherwise.
dpi=${KALVEX_E2E_DPI:-96}
# Where wine shows through: it names the window class after the executable and hands the
# window manager two icon sizes; it offers a close to every enabled window; it counts its own
# frame sizes into the outer geometry while openbox draws others (and pulls a title bar above
# the screen back onto it), so docking and centring are exact in wine's terms only; it gives
# the clipboard's CR LF to X as LF. Windows hides an owned window, as the input window is,
# with its owner, where Qt minimizes it.
class=Kalvex icon_sizes="16 32 48" input_frame="" slack=0 eol=$'\r\n' input_away=Iconic
if ((${#wine[@]})); then
  class=kalvex.exe icon_sizes="$((16 * dpi / 96)) $((32 * dpi / 96))" input_frame=" close" slack=12 eol=$'\n' input_away=""
fi
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  ((${#wine[@]} == 0)) || "${wine[@]}" --end
  pkill -f "xclip.*-display ${DISPLAY:-none}" 2>/dev/null || true
  [[ -n ${KEEP:-} ]] || rm -rf "$work"
}
trap cleanup EXIT
passed=0
ok() { passed=$((passed + 1)); echo "e2e: ok $1"; }
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
((${#wine[@]} == 0)) ||
  "${wine[@]}" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
# A wine server left from an earlier test would keep the clipboard on that test's display.
((${#wine[@]} == 0)) || "${wine[@]}" --end
printf '(\r\nignored' | xclip -selection clipboard -i
# The program takes no command line: a toolkit option given on it (here one that would hide
# every window) changes nothing.
"${wine[@]}" "$kalvex" -platform offscreen >"$work/kalvex.log" 2>&1 &
app=$!
pids+=($app)

find_window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n1; }
# Keys go where the X input focus is: a window is mapped a moment before it has the focus.
focused() {
  for _ in $(seq 250); do [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]] && return 0; sleep 0.02; done
  return 1
}
activate() {
  xdotool windowactivate --sync "$1" 2>/dev/null || true
  focused "$1" || fail "window $1 does not get the focus"
}
# Help's item opens the About box, a second window named as the main one; its id.
open_about() {
  activate "$main"
  xdotool key alt+h Return
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Kalvex$' | grep -vx "$main" && break
    sleep 0.1
  done | head -n1
}
main=$(find_window '^Kalvex$') || fail "no main window"
input=$(find_window '^Text\(') || fail "no input window"
focused "$main" || fail "the main window does not get the focus"
# Keys typed at once, before anything is clicked, go to the main window's head string, which
# keeps the first line of a text pasted into it; Tab walks head column, Tab button, tail
# string, then on to the escape options, and down to the backslash style for Java.
xdotool type --delay 20 'out.println"'
xdotool key Left ctrl+v
xdotool key Tab Tab Tab
xdotool type --delay 20 '");'
xdotool key Tab Tab Tab Down Down
# The desktop entry finds the windows by their class; they show the program's icon.
for w in "$main" "$input"; do
  xprop -id "$w" WM_CLASS | grep -q "\"$class\"$" || fail "window class $(xprop -id "$w" WM_CLASS)"
  icons=$(xprop -id "$w" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
  for s in $icon_sizes; do [[ $icons == *"($s x $s)"* ]] || fail "window icons: $icons"; done
done

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
near() { (( ($1 - $2) ** 2 <= slack ** 2 )); }
near "$ix" $((mx + mw)) && near "$iy" "$my" && near "$iw" "$mw" && near "$ih" "$mh" ||
  fail "input window at $ix,$iy ${iw}x$ih, main at $mx,$my ${mw}x$mh"
# Client areas: main 4710 x 2625 and result 4305 x 2805 twips under menu bars of one height, the
# About box 3885 x 2715 without one; the input window's is what docking gave.
px() { echo $((($1 * dpi + 720) / 1440)); }  # twips to pixels, rounded as the program rounds
size() { xwininfo -id "$1" | awk '/Width/{w=$NF} /Height/{h=$NF} END{print w, h}'; }
read -r w h < <(size "$main")
menu=$(( h - $(px 2625) ))
(( w == $(px 4710) && menu > 0 )) || fail "main window ${w}x$h"

# Frame hints: the Motif functions a window asks for (minimize 8, maximize 16, close 32) and a
# fixed size (least size = greatest size).
frame() {
  local f
  f=$(xprop -id "$1" _MOTIF_WM_HINTS | awk -F', ' '{print $2}')
  (( f & 8 )) && printf ' min'
  (( f & 16 )) && printf ' max'
  (( f & 32 )) && printf ' close'
  xprop -id "$1" WM_NORMAL_HINTS |
    awk '/minimum size/{a=$(NF-2) $NF} /maximum size/{b=$(NF-2) $NF} END{if (a != "" && a == b) printf " fixed"}'
}
expect_frame() { [[ $(frame "$1") == "$2" ]] || fail "$3 asks for:$(frame "$1"), not:$2"; }
expect_frame "$main" " min close fixed" "main window"
expect_frame "$input" "$input_frame" "input window"
# openbox lets a sizable window maximize all the same (a double click on its title): the
# window returns to normal. (Under wine the program never hears of it.)
((${#wine[@]})) || xdotool mousemove $(( ix + 40 )) $(( iy + 8 )) click --repeat 2 --delay 80 1
sleep 0.5
for _ in $(seq 50); do [[ $(geometry "$input") == "$ix $iy $iw $ih" ]] && break; sleep 0.1; done
[[ $(geometry "$input") == "$ix $iy $iw $ih" ]] || fail "input window maximized: $(geometry "$input")"

# Minimizing the main window takes the input window along; restoring brings it back.
wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | awk '/window state/{print $NF}'; }
wait_state() {
  for _ in $(seq 50); do [[ $(wm_state "$1") == "$2" ]] && return 0; sleep 0.1; done
  return 1
}
xdotool windowminimize --sync "$main"
wait_state "$input" "$input_away" || fail "input window not minimized with the main window"
activate "$main"
wait_state "$input" Normal || fail "input window not restored with the main window"

printf '%s\n%s' '<p class="x">こんにちは</p>' '<a href="c:\dir">リンク</a>' |
  xclip -selection clipboard -i
activate "$input"
xdotool type --delay 20 'typed by mistake'
xdotool key Escape  # empties the input box
# Under wine a Ctrl+V that follows at once is now and then not taken (in about half the runs,
# and more on a loaded machine).
((${#wine[@]} == 0)) || sleep 1
xdotool key --clearmodifiers ctrl+v
((${#wine[@]} == 0)) || sleep 0.5
activate "$main"
shot main
xdotool key Return

result=$(find_window '編集結果') || fail "no result window after Enter"
activate "$result"
sleep 0.2
shot result
read -r w h < <(size "$result")
(( w == $(px 4305) && h == menu + $(px 2805) )) || fail "result window ${w}x$h, menu bar $menu"
expect_frame "$result" " min close" "result window"
read -r rx ry rw rh < <(geometry "$result")
(( (2 * rx + rw - 2 * mx - mw) ** 2 <= (2 + slack) ** 2 &&
   (2 * ry + rh - 2 * my - mh) ** 2 <= (2 + slack) ** 2 )) ||
  fail "result window at $rx,$ry ${rw}x$rh is not centred over the main window"
xdotool key ctrl+c
expected=$(printf "%s$eol%s$eol" 'out.println("<p class=\"x\">こんにちは</p>");' \
  'out.println("<a href=\"c:\\dir\">リンク</a>");' | od -An -tx1)
for _ in $(seq 50); do
  copied=$(xclip -selection clipboard -o 2>/dev/null | od -An -tx1)
  [[ $copied == "$expected" ]] && break
  sleep 0.1
done
[[ $copied == "$expected" ]] || fail "clipboard holds:$(xclip -selection clipboard -o | od -c | head)"

xdotool key Escape
for _ in $(seq 50); do xdotool search --onlyvisible --name '編集結果' >/dev/null || break; sleep 0.1; done
! xdotool search --onlyvisible --name '編集結果' >/dev/null || fail "Esc left the result window open"

about=$(open_about)
[[ -n $about ]] || fail "no About box"
read -r w h < <(size "$about")
(( w == $(px 3885) && h == $(px 2715) )) || fail "About box ${w}x$h"
expect_frame "$about" " close fixed" "About box"
xdotool windowminimize --sync "$about"
# Nor does it hear of this under wine.
((${#wine[@]})) || wait_state "$about" Normal || fail "About box stays minimized"
activate "$about"
xdotool key Return

# "終了" ends the program at once.
activate "$main"
xdotool mousemove --window "$main" $(px 3840) $(( menu + $(px 2340) )) click 1
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program still runs after 終了"
wait "$app" || fail "the program exited with status $?"
ok "start-up, frames, docking, minimizing, 編集, Ctrl+C, Esc, the About box, 終了"
# Closing the main window ends the program, even with a result window left hidden by a
# failed Edit.
"${wine[@]}" "$kalvex" >>"$work/kalvex.log" 2>&1 &
app=$!
pids+=($app)
main=$(find_window '^Kalvex$') || fail "no main window on the second start"
find_window '^Text\(' >/dev/null || fail "no input window on the second start"
activate "$main"
xdotool type --delay 20 'x'
xdotool key Tab
xdotool type --delay 20 'z'
xdotool key Return
find_window '^入力エラー$' >/dev/null || fail "no input-error message"
xdotool key Return
for _ in $(seq 50); do xdotool search --onlyvisible --name '^入力エラー$' >/dev/null || break; sleep 0.1; done
activate "$main"
xdotool key alt+F4
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program still runs after its main window was closed"
wait "$app" || fail "the program exited with status $? after its main window was closed"
ok "closing after a failed 編集"

# ---------------------------------------------------------------------------------------------
# The rest is done through fresh starts of the program, by what a user does: keys, clicks and
# the clipboard, read back through 編集's output or through a box's own copy.

pause() { ((${#wine[@]} == 0)) || sleep 0.3; }  # wine now and then loses a key sent at once
hex() { od -An -tx1 | tr -d ' \n'; }
sentinel=$(printf '%s' '§none§' | hex)
# xclip stays to serve what it was given: not on the output that a $(...) waits on.
set_clip() { printf '%s' "$1" | xclip -selection clipboard -i >/dev/null; pause; }
clip_hex() { timeout 2 xclip -selection clipboard -o 2>/dev/null | hex; }
# What a copy put on the clipboard in place of the sentinel, as hex; the sentinel when nothing.
copied() {
  local c
  for _ in $(seq 30); do c=$(clip_hex); [[ $c != "$sentinel" ]] && break; sleep 0.05; done
  printf '%s' "$c"
}
read_box() {  # CLICK...: selects all of a box and copies it; the copy as hex
  "$@"
  xdotool key ctrl+a
  set_clip '§none§'
  xdotool key ctrl+c
  local got
  got=$(copied)
  [[ $got == "$sentinel" ]] && got=""
  printf '%s' "$got"
}
alive() { kill -0 "$app" 2>/dev/null || fail "the program ended: $*"; }
unhex() { printf "$(sed 's/../\\x&/g' <<<"$1")" | od -An -c | tr -s ' \n' ' '; }
expect() {  # WHAT WANT_HEX GOT_HEX
  [[ $3 == "$2" ]] || fail "$1: want$(unhex "$2"), got$(unhex "$3")"
}
gone() { for _ in $(seq 50); do xdotool search --onlyvisible --name "$1" >/dev/null || return 0; sleep 0.1; done; return 1; }

start() {
  "${wine[@]}" "$kalvex" >>"$work/kalvex.log" 2>&1 &
  app=$!
  pids+=($app)
  main=$(find_window '^Kalvex$') || fail "no main window after a start"
  input=$(find_window '^Text\(') || fail "no input window after a start"
  focused "$main" || fail "the main window does not get the focus after a start"
  read -r _ h < <(size "$main")
  menu=$((h - $(px 2625)))
}
stop() {
  activate "$main"
  xdotool key alt+F4
  for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app" 2>/dev/null && fail "the program still runs after its main window was closed ($1)"
  wait "$app" || fail "the program exited with status $? ($1)"
}

# The main window's controls by their design place in twips (the frame's place added): a click
# lands on the control's centre, 15 twips a pixel under the menu bar.
declare -A place=(
  [head]="2287 495" [hstart]="3727 495" [tab0]="4207 487"
  [tail]="2287 735" [tstart]="3727 735" [tab1]="4207 727"
  [opt0]="340 1402" [opt1]="340 1642" [opt2]="340 1882" [blank]="600 2350"
)
click() {  # CONTROL [BUTTON]
  local x y
  read -r x y <<<"${place[$1]}"
  xdotool mousemove --window "$main" "$(px "$x")" $((menu + $(px "$y"))) click "${2:-1}"
}
click_centre() {  # WINDOW [BUTTON]: the input and result boxes fill their windows
  local w h
  read -r w h < <(size "$1")
  xdotool mousemove --window "$1" $((w / 2)) $((h / 2)) click "${2:-1}"
}
type_in() { click "$1"; xdotool key ctrl+a Delete; [[ -z ${2:-} ]] || xdotool type --delay 20 "$2"; }

# 編集 with Enter from the head field; Ctrl+C in the result window; Esc. Prints the copy as hex.
edit_copy() {
  activate "$main"
  click head
  xdotool key Return
  copy_result "$(find_window '編集結果')" "after Enter ($1)"
}
copy_result() {  # WINDOW WHEN: the result window's copy as hex, then Esc closes it
  [[ -n $1 ]] || fail "no result window $2"
  activate "$1"
  [[ -z ${picture:-} ]] || shot "$picture"
  xdotool getwindowname "$1" >"$work/caption"
  set_clip '§none§'
  xdotool key ctrl+c
  copied
  xdotool key Escape
  gone '編集結果' || fail "Esc left the result window open $2"
}
lines_of() {  # TEXT HEAD TAIL [SPACES]: 編集's output without escaping, as the clipboard has it
  local line
  [[ -z $1 ]] && return 0
  while IFS= read -r line; do printf '%*s%s%s%s%s' "${4:-0}" '' "$2" "$line" "$3" "$eol"; done <<<"$1"
}

# At another DPI: the sizes above, then what a reader reads (every control's place) and the keys.
source "$here/reading.sh"
((dpi == 96)) || { reading_and_keys && echo "e2e: $passed passed, 0 failed" && exit 0; }

# --- Pasting: every box, every way, each kind of text ------------------------------------------
# A single-line box keeps the first line, a column box at most three characters of it, a
# multi-line box every line with its break made CR LF. With nothing to paste the context menu's
# item is greyed, so that row is not walked.
texts=("" $'5\n6' $'12\r\n34' 'out.println("')
ways=(ctrl+v shift+Insert menu)
paste() {  # WAY BOX_CLICK...
  local way=$1
  shift
  "$@"
  case $way in
    menu) "$@" 3; sleep 0.7; xdotool key p ;;  # the menu opens a moment after the click
    *) xdotool key "$way" ;;
  esac
  pause
}
into_input() {  # TEXT [WAY]: the input box emptied with Esc, then the text pasted
  activate "$input"
  click_centre "$input"
  xdotool key Escape
  pause
  set_clip "$1"
  paste "${2:-ctrl+v}" click_centre "$input"
}
box_text() {  # KIND TEXT: what the box holds after the paste
  local t=${2//$'\r\n'/$'\n'}
  case $1 in
    line) printf '%s' "${t%%$'\n'*}" ;;
    column) t=${t%%$'\n'*}; printf '%s' "${t:0:3}" ;;
    multi) printf '%s' "${t//$'\n'/$eol}" ;;
  esac
}
start
for box in head tail hstart tstart; do
  kind=line
  [[ $box == *start ]] && kind=column
  for text in "${texts[@]}"; do
    for way in "${ways[@]}"; do
      [[ -z $text && $way == menu ]] && continue
      type_in "$box"
      set_clip "$text"
      paste "$way" click "$box"
      alive "$way into $box"
      expect "$way of $(printf %q "$text") into $box" "$(box_text $kind "$text" | hex)" \
        "$(read_box click "$box")"
    done
  done
done
type_in hstart
type_in tstart
head='out.println("'
for text in "${texts[@]}"; do
  for way in "${ways[@]}"; do
    [[ -z $text && $way == menu ]] && continue
    into_input "$text" "$way"
    alive "$way into the input box"
    expect "$way of $(printf %q "$text") into the input box, converted" \
      "$(lines_of "$(box_text multi "$text" | tr -d '\r')" "$head" "$head" | hex)" "$(edit_copy "input box")"
  done
done
# More than the edit control holds unless its limit is lifted (32,767 characters; 64 KB): the
# whole text stays, in the input box (whose own copy gives LF, as the X clipboard has it) and in
# the result box.
big=$(for i in $(seq 7000); do printf '%05d6789\n' "$i"; done)
paste_big() {  # WANT BOX_CLICK...: the box's whole text after the paste, as a checksum
  local want=$1
  shift
  "$@"
  xdotool key ctrl+a Delete
  set_clip "$big"
  xdotool key ctrl+v
  pause
  xdotool key ctrl+a
  set_clip '§none§'
  xdotool key ctrl+c
  for _ in $(seq 200); do (($(clip_hex | wc -c) > 100)) && break; sleep 0.05; done
  [[ $(timeout 5 xclip -selection clipboard -o 2>/dev/null | md5sum) == "$(printf %s "$want" | md5sum)" ]] ||
    fail "70,000 characters pasted into a box come back otherwise: $*"
}
activate "$input"
paste_big "$big" click_centre "$input"
activate "$main"
click head
xdotool key Return
result=$(find_window '編集結果') || fail "no result window"
activate "$result"
paste_big "$(box_text multi "$big")" click_centre "$result"
for text in "${texts[@]}"; do
  for way in "${ways[@]}"; do
    [[ -z $text && $way == menu ]] && continue
    click_centre "$result"
    xdotool key ctrl+a Delete
    set_clip "$text"
    paste "$way" click_centre "$result"
    alive "$way into the result box"
    # Ctrl+C there copies the whole text, the selection or not.
    expect "$way of $(printf %q "$text") into the result box" "$(box_text multi "$text" | hex)" \
      "$(read_box click_centre "$result")"
  done
done
xdotool key Escape
gone '編集結果' || fail "Esc left the result window open"
stop "after the pastes"
ok "pasting"

# --- Everyday behaviours, each read back as the user would ------------------------------------
t=$'\t'
PATH=$work/bin:$PATH start

# A Tab button appends one tab each time and enables its string's column field.
type_in head H
click tab1
click tab1
type_in tstart 9
activate "$input"
click_centre "$input"
xdotool type --delay 20 ab
expect "Tab button twice, tail column 9" "$(printf 'Hab     \t\t%s' "$eol" | hex)" "$(edit_copy tab)"
ok "Tab buttons"

# Typing a string enables its column field; deleting its last character disables the field
# (a click on it then leaves the focus where it was) and keeps the field's text.
type_in head x
type_in hstart 2
click head
xdotool key End BackSpace
click hstart
xdotool type --delay 20 5
expect "head column kept while disabled" "$(printf '  5ab   \t\t%s' "$eol" | hex)" "$(edit_copy enabling)"
# A column field takes three characters at most.
type_in hstart 0012
expect "head column of three characters" "$(printf ' 5ab    \t\t%s' "$eol" | hex)" "$(edit_copy 'three characters')"
ok "column fields"

# Esc and クリア(C) empty the input box; Ctrl+Z brings the text back.
activate "$input"
for clear in Escape alt+c; do
  click_centre "$input"
  xdotool key "$clear"
  pause
  expect "input box after $clear" "" "$(read_box click_centre "$input")"
  xdotool key ctrl+z
  pause
  expect "input box after $clear and Ctrl+Z" "$(printf ab | hex)" "$(read_box click_centre "$input")"
done
ok "clearing the input box"

# While the result window is up, the other windows take no keys or clicks, and Enter there
# does not run 編集 again.
activate "$main"
click head
xdotool key Return
result=$(find_window '編集結果') || fail "no result window"
click head
xdotool type --delay 20 zz
xdotool key Return
click_centre "$input"
xdotool type --delay 20 qq
(($(xdotool search --onlyvisible --name '編集結果' | wc -l) == 1)) || fail "a second result window"
activate "$result"
xdotool key Escape
gone '編集結果' || fail "Esc left the result window open"
sleep 1
! xdotool search --onlyvisible --name '編集結果' >/dev/null || fail "編集 ran again after the result window"
activate "$main"
expect "head after typing while the result was up" "$(printf 5 | hex)" "$(read_box click head)"
expect "input after typing while the result was up" "$(printf ab | hex)" \
  "$(read_box click_centre "$input")"
ok "the result window is modal"

# The input error: its title, text and single OK button, the exclamation icon, and the focus on
# the field it names once it is closed.
type_in hstart z
click head
xdotool key Return
box=$(find_window '^入力エラー$') || fail "no input-error message"
activate "$box"
set_clip '§none§'
xdotool key ctrl+c
message=$(copied | xxd -r -p 2>/dev/null || true)
import -display "$DISPLAY" -window "$box" "$work/box.png"
# The exclamation icon is the only yellow or amber there.
yellow=$(convert "$work/box.png" -fx 'r > 0.78 && g > 0.4 && b < 0.3' -format '%[fx:int(mean*w*h)]' info:)
((yellow > 100)) || fail "no exclamation icon in the input-error message ($yellow yellow pixels)"
xdotool key Return
gone '^入力エラー$' || fail "the input-error message stays"
# wine's message box copies nothing (a Windows one does): there its title and icon are checked.
if ((${#wine[@]} == 0)); then
  [[ $message == *入力エラー* && $message == *半角数字を入力してください* ]] ||
    fail "the input-error message reads: $message"
  [[ $(grep -i -E -x ' *(ok|cancel|yes|no|キャンセル|はい|いいえ) *' <<<"${message//$'\r'/}") == OK ]] ||
    fail "the input-error message's buttons: $message"
fi
activate "$main"
xdotool key BackSpace
xdotool type --delay 20 3
expect "head column after the input error" "$(printf '   5ab  \t\t%s' "$eol" | hex)" "$(edit_copy 'after the error')"
ok "the input error"

# On Windows the default button wears its border while no push button has the focus, and a
# focused push button wears it instead, as in dialogs (Qt's main window keeps 編集 the default).
# Read from 編集's pixels: focus in a text box, then on 終了 (Shift+Tab from the head string goes
# round to it), then back.
face() {  # NAME: 編集 as the screen shows it, short of the column 終了 starts in
  import -display "$DISPLAY" -window "$main" \
    -crop "$(($(px 1215) - 2))x$(px 375)+$(px 2040)+$((menu + $(px 2160)))" +repage "$work/$1.png"
}
differ() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 || true; }
if ((${#wine[@]})); then
  activate "$main"
  click head
  sleep 0.3
  face default
  xdotool key shift+Tab
  sleep 0.3
  face on_end
  xdotool key Tab
  sleep 0.3
  face back
  (($(differ default on_end) > 0)) || fail "編集 looks the same with the focus on 終了"
  (($(differ default back) == 0)) || fail "編集 does not get its border back ($(differ default back) pixels)"
  ok "the default button's border"
fi

# The About box: the program's version, its address opened with the desktop's handler, one box
# at most; closing the main window with it open ends the program.
about=$(open_about)
[[ -n $about ]] || fail "no About box"
import -display "$DISPLAY" -window "$about" "$work/about.png"
convert "$work/about.png" -crop 160x20+84+38 -resize 400% -colorspace gray -negate "$work/version.png"
version=$(tesseract "$work/version.png" - --psm 7 2>/dev/null | tr -d ' \n')
[[ $version == Ver1.1.0 ]] || fail "the About box shows the version as: $version"
xdotool mousemove --window "$about" "$(px 2227)" "$(px 1687)" click 1
for _ in $(seq 100); do [[ -s $work/opened ]] && break; sleep 0.1; done
grep -q '^https\?://' "$work/opened" 2>/dev/null || fail "the address did not open: $(cat "$work/opened" 2>&1)"
activate "$main"
xdotool key alt+h Return
sleep 0.5
(($(xdotool search --onlyvisible --name '^Kalvex$' | grep -vxc "$main") == 1)) || fail "a second About box"
stop "with the About box open"
ok "the About box"


# The input box's own items, their letters and where they stand, as the command table in
# engine/modCommand.h has them: ITEM's letter; the items of the menu itself that 変換なし leaves
# open (those not greyed for want of escaping), and its submenus.
table=$(tr -d '\n' <"$(dirname "$0")/../../engine/modCommand.h")
letter() { grep -o "\"$1\", *u\"[^\"]*(&.)" <<<"$table" | sed 's/.*(&\(.\))$/\L\1/'; }
rows=$(sed 's/.*kCommands\[\] = {//; s/};.*//; s/{Command::/\n/g' <<<"$table" | grep '"mnu')
escaping() { sed 's/.*u"[^"]*", *"[a-z-]*", *\(true\|false\).*/\1/'; }  # a row's greying for 変換なし
own_open=$(($(grep -v 'Menu\.item' <<<"$rows" | escaping | grep -c false) + $(grep -o 'k[A-Za-z]*Menu\.item' <<<"$rows" | sort -u | wc -l)))

# --- Every editing item of the text boxes' context menus --------------------------------------
# Each item works on "abc", typed and selected whole (but for すべて選択, which a box whose text is
# all selected may grey), with "xyz" on the clipboard; the box and the clipboard are read back
# after it. 元に戻す takes back a deletion. The items go by their letters; Qt gives 削除 and
# すべてを選択 none, so there they are walked to from the menu's foot with Up, which passes over
# greyed items: the input box has its own items below them.
edit_rows=(  # ITEM BOX_AFTER CLIPBOARD_AFTER (after "all", a typed q replaces the selection)
  "copy abc abc" "cut - abc" "paste xyz xyz" "delete - xyz" "undo abc xyz" "all q xyz"
)
walk_edit_items() {  # NAME DELETE_UPS ALL_UPS BOX_CLICK...: the Ups Qt's menu needs
  local name=$1 row item want clip keys
  local -A letters=([undo]=u [cut]=t [copy]=c [paste]=p [delete]=d [all]=a)
  ((${#wine[@]})) || letters[delete]=$(printf 'Up %.0s' $(seq "$2")) letters[all]=$(printf 'Up %.0s' $(seq "$3"))
  shift 3
  for row in "${edit_rows[@]}"; do
    read -r item want clip <<<"$row"
    [[ $want == - ]] && want=""
    "$@"
    xdotool key ctrl+a Delete
    xdotool type --delay 20 abc
    [[ $item == all ]] || xdotool key ctrl+a
    [[ $item == undo ]] && xdotool key Delete
    set_clip xyz
    "$@" 3
    sleep 0.7
    keys=${letters[$item]}
    xdotool key $keys
    [[ $keys == Up* ]] && xdotool key Return
    pause
    [[ $item == all ]] && xdotool type --delay 20 q && pause
    expect "$item from the context menu of the $name: the clipboard" "$(printf %s "$clip" | hex)" "$(clip_hex)"
    expect "$item from the context menu of the $name: the box" "$(printf %s "$want" | hex)" \
      "$(read_box "$@")"
  done
}
start
walk_edit_items "head string" 1 1 click head
walk_edit_items "head column" 1 1 click hstart  # the head string holds q: the column is open
type_in hstart
activate "$input"
walk_edit_items "input box" $((own_open + 2)) $((own_open + 1)) click_centre "$input"
activate "$main"
click head
xdotool key Return
result=$(find_window '編集結果') || fail "no result window"
activate "$result"
walk_edit_items "result box" 2 1 click_centre "$result"
xdotool key Escape
gone '編集結果' || fail "Esc left the result window open"
stop "after the editing items"
ok "every editing item of the context menus"

# --- The input box's context menu, opened with the menu key -------------------------------------
# 逆変換 gives back the text that 編集 made lines of; 変換前チェック finds 表 (whose second byte is
# a backslash) for C and Java and “ for VB; the tab escape writes \t. Each reads the main
# window's fields as 編集 does.
from_menu() {  # KEYS...: chooses from the input box's context menu; the result's copy as hex
  activate "$input"
  click_centre "$input"
  xdotool key Menu
  sleep 0.7
  [[ -z ${picture:-} ]] || shot menu
  xdotool key "$@"
  copy_result "$(find_window '編集結果')" "after the menu's $*"
}
start
type_in head 'out.println("'
type_in tail '");'
# The tab and join items are greyed while 変換なし is chosen: at the start, before any option is
# clicked, and after it is clicked again. The menu opens here with Shift+F10: a greyed item's
# letter closes it (Windows) or leaves it open (Qt, where a click beside it closes it), and
# reaches the box in neither.
variant_item() {  # LETTER: the item's result on a text with a tab, a value and a ', as hex
  local text="a${t}<%= x %>b'c" r
  into_input "$text"
  xdotool key shift+F10
  sleep 0.7
  xdotool key "$1"
  if ! r=$(timeout 3 xdotool search --sync --onlyvisible --name '編集結果' | head -n1); then
    click blank
    expect "the input box after the greyed item $1" "$(box_text multi "$text" | hex)" \
      "$(read_box click_centre "$input")"
    return 0
  fi
  copy_result "$r" "after the menu's $1"
}
line_hex() { [[ -z $1 ]] || printf '%s%s' "$1" "$eol" | hex; }
for option in start opt1 opt2 opt0; do
  [[ $option == start ]] || click "$option"
  case $option in
    opt1) tabs="out.println(\"a\" & vbTab & \"<%= x %>b'c\");" joins="out.println(\"a$t\" & x & \"b'c\");" ;;
    opt2) tabs="out.println(\"a\\t<%= x %>b'c\");" joins="out.println(\"a$t\" + x + \"b'c\");" ;;
    *) tabs="" joins="" ;;  # greyed
  esac
  got=$(variant_item "$(letter mnuEditTabs)")  # an assignment: a failure inside ends the session
  expect "the tab item with $option" "$(line_hex "$tabs")" "$got"
  got=$(variant_item "$(letter mnuEditJoins)")
  expect "the join item with $option" "$(line_hex "$joins")" "$got"
done
click opt2
html=$'<a href="c:\\dir">表</a>\r\n“引用”'
into_input "$html"
converted=$(edit_copy "before 逆変換")
into_input "$(printf "$(sed 's/../\\x&/g' <<<"$converted")")"
expect "逆変換 of 編集's output" "$(box_text multi "$html" | hex)" "$(from_menu "$(letter mnuReverse)")"
into_input "$html"
report=$(picture=check from_menu "$(letter mnuCheck)" | xxd -r -p)
[[ $report == *U+8868* && $report != *U+201C* ]] || fail "変換前チェック for Java finds: $report"
click opt1
report=$(from_menu "$(letter mnuCheck)" | xxd -r -p)
[[ $report == *U+201C* && $report != *U+8868* ]] || fail "変換前チェック for VB finds: $report"
# With both fields empty, 逆変換 reads a block of two heads, a joined value, a blank line, a \n
# and a line of code, which it keeps as a scriptlet; the join item, with the head and tail typed,
# writes the value back as a join and the scriptlet as its code. Its note comes before the
# caption, so that the numbers show at the window's design width.
click opt2
type_in head
type_in tail
into_input $'out.println("<tr>");\r\n  out.print("<td>" + name + "</td>\\n");\r\n\r\n}\r\nout.println("</tr>");'
read_back=$(picture=reverse from_menu "$(letter mnuReverse)")
expect "逆変換 of a block of two heads" "$(box_text multi $'<tr>\n<td><%= name %></td>\n<% } %>\n</tr>' | hex)" "$read_back"
[[ $(<"$work/caption") == "逆変換 1行コード(4行目〜) 3行戻し 空行-1 式1 行末改行1　編集結果"* ]] || fail "逆変換's caption: $(<"$work/caption")"
into_input "$(printf "$(sed 's/../\\x&/g' <<<"$read_back")")"
type_in head 'out.println("'
type_in tail '");'
expect "the join item on 逆変換's output" "$(line_hex 'out.println("<tr>");')$(line_hex 'out.println("<td>" + name + "</td>");')$(line_hex '}')$(line_hex 'out.println("</tr>");')" "$(from_menu "$(letter mnuEditJoins)")"
# An ASP block that builds SQL on an accumulator, started by an assignment, with a condition and
# a value: read with both fields empty, the assignment says that it starts the text afresh; joined
# with the appending head and tail, it comes back as the same program.
click opt1
type_in head
type_in tail
into_input $'sql = "SELECT *"\r\nIf id <> "" Then\r\n  sql = sql & " WHERE id = " & id\r\nEnd If'
read_back=$(from_menu "$(letter mnuReverse)")
expect "逆変換 of an accumulator" "$(box_text multi $'<% sql = "" %>\nSELECT *\n<% If id <> "" Then %>\n WHERE id = <%= id %>\n<% End If %>' | hex)" "$read_back"
into_input "$(printf "$(sed 's/../\\x&/g' <<<"$read_back")")"
type_in head 'sql = sql & "'
type_in tail '"'
expect "the join item on the accumulator's page" "$(line_hex 'sql = ""')$(line_hex 'sql = sql & "SELECT *"')$(line_hex 'If id <> "" Then')$(line_hex 'sql = sql & " WHERE id = " & id')$(line_hex 'End If')" "$(from_menu "$(letter mnuEditJoins)")"
stop "after the context menu"
ok "逆変換, 変換前チェック and the opt-in escapes from the context menu"

# --- 編集（1つのリテラルに）: the whole text as one literal, from the submenu by its letters ---------
# A Java text block keeps the trailing spaces (\s), a run of three " and the backslash, with the
# head column's spaces as its indentation and no line end after the last line.
start
type_in head 'String s = '
type_in hstart 4
type_in tail ';'
into_input $'<p class="x">a\\b</p>  \r\n"""'
block=$'    String s = """\n    <p class="x">a\\\\b</p> \\s\n    ""\\"\\\n    """;\n'
expect "a Java text block from the submenu" "$(printf %s "${block//$'\n'/$eol}" | hex)" \
  "$(from_menu "$(letter mnuEditLiteral)" "$(letter mnuLiteralTextBlock)")"
stop "after the submenu"
ok "a Java text block from the submenu of the input box's context menu"

# --- What a screen reader reads; every window by the keyboard alone ----------------------------
reading_and_keys

echo "e2e: $passed passed, 0 failed"
