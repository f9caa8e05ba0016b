#!/usr/bin/env bash
# Times Kalvex.exe under wine on Xvfb and openbox, as a user meets it: the start until the main
# window is mapped (with a fresh wine server and with one running), then a 10 MB sample pasted
# into the input window and converted with 編集 until the result window is mapped, and 編集
# alone on the text already there. Rough figures, one run each; nothing is checked.
# Usage: bench/wine_session.sh [MB]   (needs build-windows/ and build/bench/kalvex_make_sample)
set -euo pipefail
cd "$(dirname "$0")/.."
mb=${1:-10}
exe=$PWD/build-windows/main_window/Kalvex.exe
wine=("$PWD/tests/windows/wine-run.sh" "$PWD/build-windows/bench-wineprefix")
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  "${wine[@]}" --end
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x640x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 2
[[ -d ${wine[1]} ]] || "${wine[@]}" --new-prefix >/dev/null 2>&1
build/bench/kalvex_make_sample "$mb" "$work/sample.txt"

now() { date +%s.%N; }
since() { echo "$(now) - $1" | bc; }
mapped() { until xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do sleep 0.01; done; }
start() {
  local t
  t=$(now)
  "${wine[@]}" "$exe" >/dev/null 2>&1 &
  app=$!
  mapped '^Kalvex$'
  echo "start, $1: $(since "$t") s"
}
close_result() {
  xdotool windowactivate --sync "$(xdotool search --onlyvisible --name '^編集結果' | head -n1)"
  xdotool key Escape
  while xdotool search --onlyvisible --name '^編集結果' >/dev/null 2>&1; do sleep 0.05; done
}
finish() {
  xdotool mousemove --window "$(xdotool search --onlyvisible --name '^Kalvex$' | head -n1)" \
    256 175 click 1  # 終了
  wait "$app"
}

"${wine[@]}" --end
start "fresh wine server"
finish
start "wine server running"
main=$(xdotool search --onlyvisible --name '^Kalvex$' | head -n1)
input=$(xdotool search --sync --onlyvisible --name '^Text\(' | head -n1)
xclip -selection clipboard -i <"$work/sample.txt"
sleep 1
xdotool windowactivate --sync "$input"
t=$(now)
xdotool key --clearmodifiers ctrl+v
xdotool windowactivate --sync "$main"
xdotool key Return
mapped '^編集結果'
echo "paste and 編集, $mb MB: $(since "$t") s"
close_result
xdotool windowactivate --sync "$main"
t=$(now)
xdotool key Return
mapped '^編集結果'
echo "編集 alone, $mb MB: $(since "$t") s"
close_result
finish
