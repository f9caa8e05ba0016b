#!/usr/bin/env bash
# Installs what building, running and testing Kalvex needs, and nothing that is already there.
# Debian and Ubuntu only (apt-get); elsewhere it names the packages and stops.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # the fuzz build: clang with its libFuzzer and sanitizer runtimes; llvm-symbolizer for reports
  clang libclang-rt-dev llvm
  # a Japanese font whose fixed-pitch face has double-width characters exactly two cells wide
  fonts-ipafont-gothic
  # real-window tests and screenshots
  xvfb xauth openbox xdotool xclip imagemagick x11-utils
  # Windows resource script, desktop entry, AppStream metadata and the Debian package
  binutils-mingw-w64-x86-64 desktop-file-utils appstream dpkg-dev file
  # the benchmark's comparison tools
  mawk perl sed
)

if ! command -v apt-get >/dev/null 2>&1 || ! command -v dpkg-query >/dev/null 2>&1; then
  echo "install-deps.sh: this system has no apt-get; install these packages (or their equivalents) by hand:" >&2
  printf '  %s\n' "${packages[@]}" | grep -v '^  #' >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  [[ $p == \#* ]] && continue
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [[ $status == installed ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null 2>&1; then sudo=(sudo); else
    echo "install-deps.sh: not root and no sudo; install as root: ${missing[*]}" >&2
    exit 1
  fi
fi
echo "install-deps.sh: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
