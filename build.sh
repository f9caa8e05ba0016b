#!/usr/bin/env bash
# Configures and builds Kalvex with the default preset (Release, into build/).
set -euo pipefail
cd "$(dirname "$0")"
cmake --preset default >/dev/null
cmake --build --preset default --parallel "$(nproc)"
