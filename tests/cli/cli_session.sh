#!/usr/bin/env bash
# kalvex-cli as a program: exit statuses, pipes and -o, help in the locale's language, the
# version, and --clipboard on a display of its own, read back with xclip after the program has
# ended. Under wine (the Windows build) kalvex-cli.exe the same, and in a console of code page
# 932 (a terminal, which wine makes a console), where it writes text, not bytes.
# Usage: cli_session.sh [--wine WINE_RUN PREFIX] KALVEX_CLI VERSION
set -euo pipefail
wine=()
if [[ $1 == --wine ]]; then wine=("$2" "$3"); shift 3; fi
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1") version=$2
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  ((${#wine[@]} == 0)) || "${wine[@]}" --end
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
cli() { "${wine[@]}" "$cli" "$@"; }
status() { "$@" >/dev/null 2>&1 && echo 0 || echo $?; }

# The version of the windowed program, and help in the locale's language.
[[ $(cli --version | head -n1) == "kalvex-cli (Kalvex) $version" ]] || fail "version: $(cli --version)"
if ((${#wine[@]} == 0)); then
  LC_ALL= LANG=C.UTF-8 cli --help | grep -q '^Usage: kalvex-cli' || fail "no English help"
  LC_ALL= LANG=ja_JP.UTF-8 cli --help | grep -q '^使い方: kalvex-cli' || fail "no Japanese help"
else
  cli --help | grep -q '^使い方: kalvex-cli' || fail "no Japanese help under wine"
fi

# Exit statuses of the process, and standard input to standard output or to -o.
printf '表\r\n"a"\r\n' >page.html
[[ $(status cli --escape c page.html) == 0 ]] || fail "edit does not exit 0"
[[ $(status cli --check page.html) == 1 ]] || fail "a finding does not exit 1"
[[ $(status cli --tail-column 1000 page.html) == 2 ]] || fail "a bad column does not exit 2"
[[ -z $(cli --tail-column 1000 page.html 2>/dev/null) ]] || fail "a bad column writes output"
cli --escape c --head 'out.println("' --tail '");' <page.html >piped.java
cli --escape c --head 'out.println("' --tail '");' -o Page.java page.html
printf 'out.println("表");\r\nout.println("\\"a\\"");\r\nout.println("");\r\n' >expected.java
cmp -s piped.java expected.java || fail "stdin to stdout: $(od -c piped.java | head -n3)"
cmp -s Page.java expected.java || fail "-o: $(od -c Page.java | head -n3)"

if ((${#wine[@]})); then
  # A console of code page 932: the text shows as itself on the terminal.
  on_terminal() { script -qec "$(printf '%q ' "${wine[@]}" "$cli" "$@")" /dev/null; }
  on_terminal --help | grep -q '使い方: kalvex-cli' || fail "help on the console"
  on_terminal --head 表 page.html | grep -q '表表' || fail "output on the console"
  { on_terminal --tail-column x page.html || true; } | grep -q '入力エラー' || fail "error on the console"
fi

# The clipboard, on a display of our own.
exec 3>display
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp >xvfb.log 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s display ]] && break; sleep 0.1; done
[[ -s display ]] || { echo "FAIL: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 display)"
((${#wine[@]} == 0)) || "${wine[@]}" --end  # the wine server starts again on this display
marker="M$$"
# The result of 編集 on the clipboard's text as a paste gives it, CR LF kept (wine hands X LF).
round_trip() {
  local name=$1
  xclip -selection clipboard -i <"$name.in"
  for _ in $(seq 100); do xclip -selection clipboard -o -t TARGETS >/dev/null 2>&1 && break; sleep 0.05; done
  cli --clipboard --escape c --head "$marker(\"" --tail '");' || fail "$name: --clipboard failed"
  xclip -selection clipboard -o >"$name.got"
  cli --escape c --head "$marker(\"" --tail '");' <"$name.in" >"$name.want"
  ((${#wine[@]} == 0)) || sed -i 's/\r$//' "$name.want"
  cmp -s "$name.got" "$name.want" || fail "$name: $(cmp "$name.got" "$name.want" 2>&1)"
}
printf 'a"b\\c\n表\n' >small.in
round_trip small
# Larger than one X request: handed over in pieces both ways.
awk 'BEGIN { for (i = 1; i <= 160000; i++) printf "<td class=\"c%d\">値 \\ %d</td>\n", i, i }' >large.in
round_trip large
if ((${#wine[@]} == 0)); then
  # The process that kept serving the text ends when another program takes the clipboard.
  pgrep -f "$marker" >/dev/null || fail "nothing serves the clipboard"
  echo other | xclip -selection clipboard -i
  for _ in $(seq 50); do pgrep -f "$marker" >/dev/null || break; sleep 0.1; done
  ! pgrep -f "$marker" >/dev/null || fail "the clipboard's server did not end"
fi

((failures == 0)) || exit 1
echo "cli_session: passed"
