#!/usr/bin/env bash
# Installs what Kalvex needs, and nothing that is already there: `run` what building and running
# it needs, `test` (the default) that and everything the tests, benchmarks and the Windows build
# need. Debian and Ubuntu only (apt-get); elsewhere it names the packages and stops.
#   ./install-deps.sh [run|test]
set -euo pipefail

run_packages=(
  cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev
  # kalvex-cli's clipboard on X11
  libx11-dev
  # the toolkit's own words (its text boxes' context menus) in Japanese
  qt6-translations-l10n
  # a Japanese font whose fixed-pitch face has double-width characters exactly two cells wide
  fonts-ipafont-gothic
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  # the fuzz build: clang with its libFuzzer and sanitizer runtimes; llvm-symbolizer for reports
  clang libclang-rt-dev llvm
  # real-window tests and screenshots
  xvfb xauth openbox xdotool xclip imagemagick x11-utils xxd tesseract-ocr tesseract-ocr-eng
  # what a screen reader reads of the windows: the accessibility bus and its Python client
  at-spi2-core dbus python3-gi gir1.2-atspi-2.0
  # Windows resource script, desktop entry, AppStream metadata and the Debian package (man reads
  # kalvex-cli's manual page)
  binutils-mingw-w64-x86-64 desktop-file-utils appstream dpkg-dev file man-db
  # the benchmark's comparison tools
  mawk perl sed
  # the Windows build (MinGW-w64 with GoogleTest's sources), run under wine as a Japanese system
  g++-mingw-w64-x86-64 googletest wine wine64 locales
  # the compiler oracle: the output built and run by the compilers its options and variants name
  # (gcc is g++'s; VBScript runs under the wine above)
  default-jdk-headless nodejs php-cli mono-mcs mono-runtime
)
case ${1:-test} in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: install-deps.sh [run|test]" >&2; exit 2 ;;
esac

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
# wine takes its code page from the locale: only a generated ja_JP.UTF-8 makes it code page 932.
locale_missing=false
[[ ${1:-test} == test ]] &&
  ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8' && locale_missing=true
[[ ${#missing[@]} -eq 0 && $locale_missing == false ]] && exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null 2>&1; then sudo=(sudo); else
    echo "install-deps.sh: not root and no sudo; as root install ${missing[*]} and generate ja_JP.UTF-8" >&2
    exit 1
  fi
fi
if ((${#missing[@]})); then
  echo "install-deps.sh: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [[ $locale_missing == true ]]; then
  echo "install-deps.sh: generating the ja_JP.UTF-8 locale"
  if grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    "${sudo[@]}" sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo[@]}" locale-gen
fi
