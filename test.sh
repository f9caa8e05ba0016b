#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test in four stages: the whole CTest
# suite in the normal build, the same suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer (any report fails its test), the engine's fuzz targets for a
# bounded time, and the Windows build's tests under wine. Every stage runs; exits non-zero if
# any failed.
set -euo pipefail
cd "$(dirname "$0")"
./install-deps.sh test

passed=0
failed=()
# stage NAME PRESET: builds with the preset and runs its CTest tests.
stage() {
  local start=$SECONDS
  echo "test.sh: $1 (preset $2)"
  if ./build.sh "$2" && ctest --preset "$2" --parallel "$(nproc)"; then
    passed=$((passed + 1))
    echo "test.sh: $1 passed in $((SECONDS - start)) s"
  else
    failed+=("$1")
    echo "test.sh: $1 FAILED after $((SECONDS - start)) s"
  fi
}
stage "normal suite" default
stage "sanitizer suite" asan
stage "fuzzing" fuzz
stage "windows build under wine" windows

((${#failed[@]} == 0)) || echo "test.sh: failed stages: ${failed[*]}"
echo "stages: $passed passed, ${#failed[@]} failed"
((${#failed[@]} == 0))
