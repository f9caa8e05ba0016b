# What a screen reader reads of every window, and every window walked by the keyboard alone:
# sourced by e2e_test.sh, whose helpers it uses.

# Every control as a reader gets it, AT-SPI on Linux and MSAA under wine alike, "…" for a maker's
# text; then its design place in client twips, for Kalvex.exe ("-" for a box filling its window).
read -r -d '' readings <<'EOF' || true
Kalvex|追加文字列|group||||120 120 4455 855
Kalvex|前に追加|label||追加文字列||240 428 735 135
Kalvex|前に追加|text|前に追加|追加文字列|前に追加する文字列を指定してください|1080 360 2415 270
Kalvex|前に追加の開始桁|text||追加文字列|前に追加する文字の開始桁数を指定できます|3480 360 495 270
Kalvex|Tab（前に追加）|button||追加文字列|タブを追加します|3960 360 495 255
Kalvex|後ろに追加|label||追加文字列||240 668 1215 135
Kalvex|後ろに追加|text|後ろに追加|追加文字列|後ろに追加する文字列を追加してください|1080 600 2415 270
Kalvex|後ろに追加の開始桁|text||追加文字列|後ろに追加する文字の開始桁数を指定できます|3480 600 495 270
Kalvex|Tab（後ろに追加）|button||追加文字列|タブを追加します|3960 600 495 255
Kalvex|エスケープ処理|group||||120 1080 4455 975
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
# A stand-in for the desktop's handler of addresses, noting what it was given.
mkdir -p "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$work/opened" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"

read_windows() {  # [focus]: what the reader reads of every window now, or of the focus
  if ((${#wine[@]})); then "${wine[@]}" "$KALVEX_MSAA_PROBE" "$@" | tr -d '\r'
  else /usr/bin/python3 "$here/atspi_read.py" "$@" Kalvex; fi
}
compare_readings() {  # ACTUAL: each row read once, nothing else; on Kalvex.exe, at its place
  awk -F'|' -v dpi="$dpi" -v wine="${#wine[@]}" '
    function px(t) { return int((t * dpi + 720) / 1440) }
    function key(f) { return f[1] "|" f[3] "|" f[4] "|" f[5] "|" f[6] }
    NR == FNR { want[++n] = $0; next } { got[++m] = $0 }
    END {
      for (i = 1; i <= n; i++) {
        split(want[i], w, "|"); found = 0
        for (j = 1; j <= m && !found; j++) {
          split(got[j], g, "|")
          if (used[j] || key(w) != key(g) || (w[2] != g[2] && w[2] != "…")) continue
          found = used[j] = 1; split(w[7], t, " "); split(g[7], p, " ")
          if (wine && w[7] != "-" && (p[1] " " p[3] != px(t[1]) " " px(t[3]) || p[4] < px(t[4]) ||
              (w[3] !~ /label|link|option/ && p[2] " " p[4] != px(t[2]) " " px(t[4]))))
            { print "at " g[7] ": " want[i]; bad = 1 }
        }
        if (!found) { print "not read: " want[i]; bad = 1 }
      }
      for (j = 1; j <= m; j++) if (!used[j]) { print "read besides: " got[j]; bad = 1 }
      exit bad
    }' <(printf '%s\n' "$readings") "$1"
}
focus_is() {  # NAME|ROLE WHEN: the control a reader says has the focus
  for _ in $(seq 20); do focus=$(read_windows focus | head -n1); [[ $focus == "$1" ]] && return 0; sleep 0.1; done
  fail "the focus is on $focus, not $1, $2"
}
keys_focus() { xdotool key $1; pause; focus_is "$2" "$3"; }  # KEYS NAME|ROLE WHEN
no_result() { ! timeout 1 xdotool search --sync --onlyvisible --name '編集結果' >/dev/null; }

reading_and_keys() {
  local head='前に追加|text' tab0='Tab（前に追加）|button' tail='後ろに追加|text' link
  local tab1='Tab（後ろに追加）|button' none='変換なし|option' text='変換するテキスト|text'
  local vb='["] ⇒ [""] （VB,ASP向け）|option' java='["] ⇒ [\"]  [\]⇒[\\]（C,JAVA向け）|option'
  if ((${#wine[@]} == 0)); then  # a screen reader's start: the accessibility bus wanted
    { read -r DBUS_SESSION_BUS_ADDRESS; read -r bus; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    pids+=("$bus") && export DBUS_SESSION_BUS_ADDRESS
    dbus-send --session --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
      string:org.a11y.Status string:IsEnabled variant:boolean:true
  fi
  PATH=$work/bin:$PATH start
  # The Tab order at the start (every field empty, the column fields greyed), Shift+Tab round it.
  focus_is "$head" "at the start"
  for stop in "$tab0" "$tail" "$tab1" "$none" '編集|button' '終了|button' "$head"; do
    keys_focus Tab "$stop" "at the start"
  done
  keys_focus shift+Tab '終了|button' "by Shift+Tab from the head string"
  # Every window read; in the About box と～じ～る has the focus first, Tab goes to the address,
  # which Enter and Space open, and と～じ～る by Enter closes the box.
  open_about >/dev/null
  read_windows >"$work/read"
  focus_is 'と～じ～る|button' "in the About box"
  link=$(xdotool key Tab; pause; read_windows focus)
  [[ $link == http*'|link' ]] || fail "Tab in the About box goes to $link, not the address"
  : >"$work/opened"
  xdotool key Return space
  for _ in $(seq 50); do (($(wc -l <"$work/opened") == 2)) && break; sleep 0.1; done
  # (wine's browser adds a slash to an address that ends in its host)
  [[ $(sed 's|/$||' "$work/opened") == "${link%|link}"$'\n'"${link%|link}" ]] ||
    fail "Enter and Space on the address opened: $(<"$work/opened")"
  xdotool key shift+Tab Return
  activate "$main"
  (($(xdotool search --onlyvisible --name '^Kalvex$' | wc -l) == 1)) || fail "と～じ～る left the About box open"
  # Enter on a Tab button presses it, not 編集; then the Tab order with both strings filled.
  keys_focus "Tab Tab Return" "$tab0" "after Enter on a Tab button"
  no_result || fail "Enter on a Tab button ran 編集"
  keys_focus "shift+Tab" '前に追加の開始桁|text' "with a tab in the head string"
  xdotool key shift+Tab End type '<'
  xdotool key Tab Tab Tab type '>'
  for stop in '後ろに追加の開始桁|text' "$tab1" "$none" '編集|button' '終了|button' "$head" \
    '前に追加の開始桁|text' "$tab0" "$tail"; do
    keys_focus Tab "$stop" "with the strings filled"
  done
  keys_focus "Tab Tab Tab" "$none" "with the strings filled"
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
    [[ $stop == Down* ]] && keys_focus "Tab shift+Tab" "$vb" "the chosen option as the group's stop"
  done
  # F6 to the input window, a tab typed there, F6 back, Enter, the result read and copied, Esc.
  keys_focus F6 "$text" "after F6"
  xdotool type $'a\tb"'  # the tab by the Tab key
  keys_focus F6 "$none" "back in the main window by F6"
  xdotool key Return
  result=$(find_window '編集結果') || fail "no result window after Enter"
  read_windows | grep '^編集結果' >>"$work/read"
  expect "編集 by the keyboard alone" "$(printf '\t<a\tb">%s' "$eol" | hex)" "$(copy_result "$result" "by keys")"
  compare_readings "$work/read" >"$work/misread" || fail "what a screen reader reads:
$(<"$work/misread")"
  keys_focus "Tab Tab" '終了|button' "before Enter on 終了, which ends the program"
  xdotool key Return
  for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app" 2>/dev/null && fail "Enter on 終了 did not end the program"
  wait "$app" || fail "the program exited with status $? after Enter on 終了"
  ok "what a screen reader reads of every window, and every window by the keyboard alone"
}
