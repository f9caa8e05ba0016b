#!/usr/bin/env bash
# Configures and builds Kalvex with a CMake preset: default (Release, into build/) unless one is
# named, e.g. ./build.sh asan.
set -euo pipefail
cd "$(dirname "$0")"
preset=${1:-default}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --parallel "$(nproc)"
