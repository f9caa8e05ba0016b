#!/usr/bin/env bash
# Installs what is missing, builds and starts Kalvex.
set -euo pipefail
cd "$(dirname "$0")"
./install-deps.sh run
./build.sh run
exec ./build/main_window/Kalvex "$@"
