# What a screen reader reads of every window, and every window walked by the keyboard alone.
# Sourced by e2e_test.sh, whose helpers it uses (start, stop, find_window, activate, copied...).

# Every control as a reader gets it: window|name|role|label|group|description, the same on both
# builds (AT-SPI on Linux, MSAA under wine), then its design place in client twips (Kalvex.exe
# only; "-" for boxes that fill their window; labels, links and options grow in height).
# "…" stands for a maker's text.
read -r -d '' readings <<'EOF' || true
Kalvex|追加文字列|group|||-|120 120 4455 855
Kalvex|前に追加|label||追加文字列||240 428 735 135
Kalvex|前に追加|text|前に追加|追加文字列|前に追加する文字列を指定してください|1080 360 2415 270
Kalvex|前に追加の開始桁|text||追加文字列|前に追加する文字の開始桁数を指定できます|3480 360 495 270
Kalvex|Tab（前に追加）|button||追加文字列|タブを追加します|3960 360 495 255
Kalvex|後ろに追加|label||追加文字列||240 668 1215 135
Kalvex|後ろに追加|text|後ろに追加|追加文字列|後ろに追加する文字列を追加してください|1080 600 2415 270
Kalvex|後ろに追加の開始桁|text||追加文字列|後ろに追加する文字の開始桁数を指定できます|3480 600 495 270
Kalvex|Tab（後ろに追加）|button||追加文字列|タブを追加します|3960 600 495 255
Kalvex|エスケープ処理|group|||-|120 1080 4455 975
Kalvex|変換なし|option||エスケープ処理|エスケープ処理を行いません|240 1320 975 165
Kalvex|["] ⇒ [""] （VB,ASP向け）|option||エスケープ処理|ASP用エスケープ処理|240 1560 2175 165
Kalvex|["] ⇒ [\"]  [\]⇒[\\]（C,JAVA向け）|option||エスケープ処理|JSP用エスケープ処理|240 1800 2895 165
Kalvex|編集|button|||編集を行います|2040 2160 1215 375
Kalvex|終了|button|||終了します|3240 2160 1215 375
Text([Esc]でクリア)|変換するテキスト|text||||-
Kalvex|Kalvex|label||||360 240 3255 255
Kalvex|Ver 1.1.0|label||||1320 600 2295 255
Kalvex|作者|label||||360 1320 495 255
Kalvex|…|label||||1080 1320 2295 255
Kalvex|ＨＰ|label||||360 1560 495 255
Kalvex|…|link||||1080 1560 2295 255
Kalvex|と～じ～る|button||||840 1920 2175 375
Kalvex|…|label||||480 2400 3255 255
編集結果([ctrl]+[c]でクリップボードへコピー)|編集結果|text|||[Esc]キー：閉じる|-
EOF
readings=${readings//|-|/||}  # frames have no description

read_windows() {  # [focus]: what the reader reads of every window now, or of the focus
  if ((${#wine[@]})); then "${wine[@]}" "$KALVEX_MSAA_PROBE" "$@" | tr -d '\r'
  else /usr/bin/python3 "$here/atspi_read.py" "$@" Kalvex; fi
}
# Each row read once and nothing else; on Kalvex.exe at its place at this DPI.
compare_readings() {  # ACTUAL
  awk -F'|' -v dpi="$dpi" -v wine="${#wine[@]}" '
    function px(t) { return int((t * dpi + 720) / 1440) }
    NR == FNR { want[++n] = $0; next }
    { got[++m] = $0 }
    END {
      for (i = 1; i <= n; i++) {
        split(want[i], w, "|"); found = 0
        for (j = 1; j <= m && !found; j++) {
          split(got[j], g, "|")
          same = w[1] "|" w[3] "|" w[4] "|" w[5] "|" w[6] == g[1] "|" g[3] "|" g[4] "|" g[5] "|" g[6]
          if (used[j] || !same || (w[2] != g[2] && w[2] != "…")) continue
          found = used[j] = 1
          split(w[7], t, " "); split(g[7], p, " ")
          grows = w[3] ~ /label|link|option/
          if (wine && w[7] != "-" && (p[1] != px(t[1]) || p[3] != px(t[3]) || p[4] < px(t[4]) ||
              (!grows && (p[2] != px(t[2]) || p[4] != px(t[4]))))) { print "at " g[7] ": " want[i]; bad = 1 }
        }
        if (!found) { print "not read: " want[i]; bad = 1 }
      }
      for (j = 1; j <= m; j++) if (!used[j]) { print "read besides: " got[j]; bad = 1 }
      exit bad
    }' <(printf '%s\n' "$readings") "$1"
}
# A screen reader's start on Linux: a session bus, and the accessibility bus told it is wanted.
reader_bus() {
  ((${#wine[@]} == 0)) && [[ -z ${reader_bus_pid:-} ]] || return 0
  { read -r bus; read -r reader_bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  pids+=("$reader_bus_pid")
  export DBUS_SESSION_BUS_ADDRESS=$bus
  dbus-send --session --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
    string:org.a11y.Status string:IsEnabled variant:boolean:true
}

# The main, input and About windows, then the result window.
reading_check() {
  reader_bus
  start
  about=$(open_about)
  read_windows >"$work/read"
  activate "$about"
  xdotool key Return  # と～じ～る has the focus first, not the link
  activate "$main"
  xdotool key Return
  find_window '編集結果' >/dev/null || fail "no result window"
  sleep 0.5
  read_windows | grep '^編集結果' >>"$work/read"
  xdotool key Escape
  compare_readings "$work/read" >"$work/misread" || fail "what a screen reader reads:
$(<"$work/misread")"
  (($(xdotool search --onlyvisible --name '^Kalvex$' | wc -l) == 1)) || fail "Enter left the About box open"
  stop "after reading"
  ok "what a screen reader reads of every window"
}

focus_is() {  # NAME|ROLE WHEN: the control a reader says has the focus
  local got
  for _ in $(seq 20); do got=$(read_windows focus | head -n1); [[ $got == "$1" ]] && return 0; sleep 0.1; done
  fail "the focus is on $got, not $1, $2"
}
keys_focus() {  # KEYS NAME|ROLE WHEN
  xdotool key $1
  pause
  focus_is "$2" "$3"
}
no_result() { ! timeout 1 xdotool search --sync --onlyvisible --name '編集結果' >/dev/null; }

keyboard_walk() {
  local head='前に追加|text' tab0='Tab（前に追加）|button' tail='後ろに追加|text'
  local tab1='Tab（後ろに追加）|button' none='変換なし|option' text='変換するテキスト|text'
  local vb='["] ⇒ [""] （VB,ASP向け）|option' java='["] ⇒ [\"]  [\]⇒[\\]（C,JAVA向け）|option'
  local stop before link
  reader_bus
  touch "$work/opened"
  PATH=$work/bin:$PATH start
  # The Tab order at the start (every field empty, the column fields greyed), Shift+Tab round it;
  # Enter on a Tab button presses it, not 編集; then with both strings filled.
  focus_is "$head" "at the start"
  for stop in "$tab0" "$tail" "$tab1" "$none" '編集|button' '終了|button' "$head"; do
    keys_focus Tab "$stop" "at the start"
  done
  keys_focus shift+Tab '終了|button' "by Shift+Tab from the head string"
  xdotool key Tab Tab Return
  no_result || fail "Enter on a Tab button ran 編集"
  xdotool key shift+Tab shift+Tab End  # the head column field is open now
  xdotool type --delay 20 '<'
  xdotool key Tab Tab Tab
  xdotool type --delay 20 '>'
  xdotool key shift+Tab shift+Tab shift+Tab
  for stop in '前に追加の開始桁|text' "$tab0" "$tail" '後ろに追加の開始桁|text' "$tab1" "$none" \
    '編集|button' '終了|button' "$head"; do
    keys_focus Tab "$stop" "with the strings filled"
  done
  keys_focus "Tab Tab Tab Tab Tab Tab" "$none" "with the strings filled"
  # The options by each arrow key. A choice by key offers the input box's tab item, or greys it,
  # as a click does: F6 to the input window, its menu by Shift+F10, the item by its letter.
  for stop in "Down|$vb" "Right|$java" "Up|$vb" "Left|$none"; do
    keys_focus "${stop%%|*}" "${stop#*|}" "after ${stop%%|*} among the options"
    [[ $stop == Right* || $stop == Up* ]] && continue
    keys_focus F6 "$text" "after F6"
    xdotool key shift+F10 sleep 0.7 key b
    if [[ $stop == Down* ]]; then
      find_window '編集結果' >/dev/null || fail "the tab item is greyed after Down chose VB"
      xdotool key Escape  # back to the main window, which the result window belongs to
    else
      no_result || fail "the tab item is offered after Left chose 変換なし"
      xdotool key Escape shift+F6  # the menu closed where the letter left it open
    fi
    focus_is "${stop#*|}" "back in the main window"
  done
  # F6 to the input window, a tab typed there, F6 back, Enter, the result copied, Esc.
  keys_focus F6 "$text" "after F6"
  xdotool type --delay 20 'a'
  xdotool key Tab
  xdotool type --delay 20 'b"'
  keys_focus F6 "$none" "back in the main window by F6"
  xdotool key Return
  expect "編集 by the keyboard alone" "$(printf '\t<a\tb">%s' "$eol" | hex)" \
    "$(copy_result "$(find_window '編集結果')" "by the keyboard")"
  focus_is "$none" "after the result window"
  # The About box: と～じ～る first, Tab to the address, which Enter and Space open; と～じ～る closes.
  before=$(wc -l <"$work/opened")
  keys_focus "alt+h Return" 'と～じ～る|button' "in the About box"
  xdotool key Tab
  pause
  link=$(read_windows focus)
  [[ $link == http*'|link' ]] || fail "Tab in the About box goes to $link, not the address"
  xdotool key Return space
  for _ in $(seq 50); do (($(wc -l <"$work/opened") == before + 2)) && break; sleep 0.1; done
  # (wine's browser adds a slash to an address that ends in its host)
  [[ $(tail -n2 "$work/opened" | sed 's|/$||' | sort -u) == "${link%|link}" ]] ||
    fail "Enter and Space on the address opened: $(tail -n+$((before + 1)) "$work/opened")"
  keys_focus "shift+Tab Return" "$none" "after と～じ～る"
  # Enter on 終了 ends the program.
  keys_focus "Tab Tab" '終了|button' "before Enter on 終了"
  xdotool key Return
  for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app" 2>/dev/null && fail "Enter on 終了 did not end the program"
  wait "$app" || fail "the program exited with status $? after Enter on 終了"
  ok "every window by the keyboard alone"
}
