#!/usr/bin/env bash
# Runs a Windows program under wine as a Japanese system (code page 932), in the test run's
# wine prefix.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
#        wine-run.sh PREFIX --new-prefix   removes PREFIX and makes it anew
#        wine-run.sh PREFIX --end          ends the prefix's wine server
set -euo pipefail
export WINEPREFIX=$1
shift
export WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# No test needs wine-mono or wine-gecko; a wine that offers to download them waits for an answer.
export WINEDLLOVERRIDES="mscoree,mshtml="

case $1 in
  --new-prefix)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    wineboot -i
    ;;
  --end) wineserver -k 2>/dev/null || true ;;
  *) exec wine "$@" ;;
esac
