#!/usr/bin/env bash
# Retakes the README's screenshots: runs the end-to-end session under Xvfb and keeps
# pictures of the two windows and of a result. Needs a build (./build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tests/e2e/e2e_test.sh build/main_window/Kalvex docs
