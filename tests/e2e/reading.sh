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
# Frames have no description; the readers give an empty one.
readings=${readings//|-|/||}

read_windows() {  # what the reader reads of every window now, a line each control
  if ((${#wine[@]})); then
    "${wine[@]}" "$KALVEX_MSAA_PROBE" "$@" | tr -d '\r'
  else
    /usr/bin/python3 "$here/atspi_read.py" "$@" Kalvex
  fi
}

# Each row read once, and nothing else read: as the table says, and at its place at this DPI.
compare_readings() {  # ACTUAL
  awk -F'|' -v dpi="$dpi" -v wine="${#wine[@]}" '
    function px(t) { return int((t * dpi + 720) / 1440) }
    NR == FNR { want[NR] = $0; n = NR; next }
    { got[FNR] = $0; m = FNR }
    END {
      bad = 0
      for (i = 1; i <= n; i++) {
        split(want[i], w, "|"); found = 0
        for (j = 1; j <= m && !found; j++) {
          if (used[j]) continue
          split(got[j], g, "|")
          if (w[1] != g[1] || (w[2] != g[2] && w[2] != "…") || w[3] != g[3] || w[4] != g[4] ||
              w[5] != g[5] || w[6] != g[6]) continue
          found = used[j] = 1
          if (!wine || w[7] == "-") continue
          split(w[7], t, " "); split(g[7], p, " ")
          grows = w[3] == "label" || w[3] == "link" || w[3] == "option"
          if (p[1] != px(t[1]) || p[3] != px(t[3]) ||
              (!grows && (p[2] != px(t[2]) || p[4] != px(t[4]))) || (grows && p[4] < px(t[4]))) {
            print "at " g[7] ", not " px(t[1]) " " px(t[2]) " " px(t[3]) " " px(t[4]) ": " want[i]; bad = 1
          }
        }
        if (!found) { print "not read: " want[i]; bad = 1 }
      }
      for (j = 1; j <= m; j++) if (!used[j]) { print "read besides: " got[j]; bad = 1 }
      exit bad
    }' <(printf '%s\n' "$readings") "$1"
}

# The main, input and About windows, then the result window; every row, compared.
# A screen reader's start on Linux: a session bus, and the accessibility bus told it is wanted,
# before the program starts.
reader_bus() {
  ((${#wine[@]} == 0)) && [[ -z ${reader_bus_pid:-} ]] || return 0
  { read -r bus; read -r reader_bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  pids+=("$reader_bus_pid")
  export DBUS_SESSION_BUS_ADDRESS=$bus
  dbus-send --session --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
    string:org.a11y.Status string:IsEnabled variant:boolean:true
}

reading_check() {
  reader_bus
  start
  about=$(open_about)
  [[ -n $about ]] || fail "no About box"
  read_windows >"$work/read"
  activate "$about"
  xdotool key Return  # と～じ～る has the focus first, not the link
  gone_id "$about" || fail "Enter in the About box left it open"
  activate "$main"
  xdotool key Return
  find_window '編集結果' >/dev/null || fail "no result window"
  sleep 0.5
  read_windows | grep '^編集結果' >>"$work/read"
  xdotool key Escape
  gone '編集結果' || fail "Esc left the result window open"
  compare_readings "$work/read" >"$work/misread" || fail "what a screen reader reads:
$(<"$work/misread")"
  stop "after reading"
  ok "what a screen reader reads of every window"
}
gone_id() { for _ in $(seq 50); do xdotool getwindowname "$1" >/dev/null 2>&1 || return 0; sleep 0.1; done; return 1; }

focus_is() {  # NAME|ROLE WHEN: the control a reader says has the focus
  local got
  for _ in $(seq 20); do
    got=$(read_windows focus | head -n1)
    [[ $got == "$1" ]] && return 0
    sleep 0.1
  done
  fail "the focus is on $got, not $1, $2"
}
tab_ring() {  # KEY WHEN STOPS...: the focus after each key, round to the first stop again
  local key=$1 when=$2 stop
  shift 2
  focus_is "$1" "$when"
  for stop in "${@:2}" "$1"; do
    xdotool key "$key"
    pause
    focus_is "$stop" "$when"
  done
}
no_result() { ! timeout 1 xdotool search --sync --onlyvisible --name '編集結果' >/dev/null; }

keyboard_walk() {
  local opened=$work/opened head='前に追加|text' tab0='Tab（前に追加）|button'
  local tail='後ろに追加|text' tab1='Tab（後ろに追加）|button' none='変換なし|option'
  local text='変換するテキスト|text' vb='["] ⇒ [""] （VB,ASP向け）|option' java='["] ⇒ [\"]  [\]⇒[\\]（C,JAVA向け）|option'
  touch "$opened"
  reader_bus
  PATH=$work/bin:$PATH start
  # The Tab order at the start, every field empty and the column fields greyed; Shift+Tab back.
  tab_ring Tab "at the start" "$head" "$tab0" "$tail" "$tab1" "$none" '編集|button' '終了|button'
  xdotool key shift+Tab
  focus_is '終了|button' "after Shift+Tab from the head string"
  # Enter on a Tab button presses it, not 編集; with the strings filled both column fields open.
  xdotool key Tab Tab Return
  no_result || fail "Enter on a Tab button ran 編集"
  xdotool key shift+Tab shift+Tab End  # the head column field is open now
  xdotool type --delay 20 '<'
  xdotool key Tab Tab Tab
  xdotool type --delay 20 '>'
  xdotool key shift+Tab shift+Tab shift+Tab
  tab_ring Tab "with the strings filled" "$head" '前に追加の開始桁|text' "$tab0" "$tail" \
    '後ろに追加の開始桁|text' "$tab1" "$none" '編集|button' '終了|button'
  # The options by each arrow key: a choice by key offers the input box's tab item, or greys it,
  # as a click does. F6 to the input window, its menu by Shift+F10, the item by its letter.
  xdotool key Tab Tab Tab Tab Tab Tab
  local key want
  for step in "Down|$vb" "Right|$java" "Up|$vb" "Left|$none"; do
    key=${step%%|*} want=${step#*|}
    xdotool key "$key"
    focus_is "$want" "after $key among the options"
    [[ $key == Down || $key == Left ]] || continue
    xdotool key F6
    focus_is "$text" "after F6"
    xdotool key shift+F10
    sleep 0.7
    xdotool key b
    if [[ $key == Down ]]; then
      find_window '編集結果' >/dev/null || fail "the tab item is greyed after Down chose VB"
      xdotool key Escape  # back to the main window, which the result window belongs to
      gone '編集結果' || fail "Esc left the result window open"
    else
      no_result || fail "the tab item is offered after Left chose 変換なし"
      xdotool key Escape shift+F6  # the menu closed where the letter left it open
    fi
    focus_is "$want" "back in the main window"
  done
  # F6 to the input window, a tab typed there, F6 back, Enter, the result copied, Esc.
  xdotool key F6
  focus_is "$text" "after F6"
  xdotool type --delay 20 'a'
  xdotool key Tab
  xdotool type --delay 20 'b"'
  xdotool key F6
  focus_is "$none" "back in the main window by F6"
  xdotool key Return
  expect "編集 by the keyboard alone" "$(printf '\t<a\tb">%s' "$eol" | hex)" \
    "$(copy_result "$(find_window '編集結果')" "by the keyboard")"
  focus_is "$none" "after the result window"
  # The About box: と～じ～る first, Tab to the address, which Enter and Space open; と～じ～る closes.
  local before
  before=$(wc -l <"$opened")
  xdotool key alt+h Return
  sleep 0.5
  focus_is 'と～じ～る|button' "in the About box"
  xdotool key Tab
  local link
  sleep 0.3
  link=$(read_windows focus)
  [[ $link == http*'|link' ]] || fail "Tab in the About box goes to $link, not the address"
  xdotool key Return space
  for _ in $(seq 50); do (($(wc -l <"$opened") == before + 2)) && break; sleep 0.1; done
  # (wine's browser adds a slash to an address that ends in its host)
  [[ $(tail -n2 "$opened" | sed 's|/$||' | sort -u) == "${link%|link}" ]] ||
    fail "Enter and Space on the address opened: $(tail -n+$((before + 1)) "$opened")"
  xdotool key shift+Tab Return
  sleep 0.5
  (($(xdotool search --onlyvisible --name '^Kalvex$' | wc -l) == 1)) || fail "と～じ～る by Enter left the About box open"
  # Enter on 終了 ends the program.
  activate "$main"
  focus_is "$none" "back from the About box"
  xdotool key Tab Tab
  focus_is '終了|button' "before Enter on 終了"
  xdotool key Return
  for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app" 2>/dev/null && fail "Enter on 終了 did not end the program"
  wait "$app" || fail "the program exited with status $? after Enter on 終了"
  ok "every window by the keyboard alone"
}
