#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
./install-deps.sh
./build.sh
ctest --preset default --parallel "$(nproc)"
