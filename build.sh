#!/usr/bin/env bash
# Sets up a Debian 12 machine for Vorpane, builds it, then starts it or tests it.
#
#   ./build.sh            install what is missing, build, start the window
#   ./build.sh test       install what is missing, build with warnings as errors,
#                         run every test
#   ./build.sh sanitize   build the engine and its tests with ASan and UBSan, run them
#   ./build.sh fuzz [S]   build the libFuzzer targets with clang, run each for S
#                         seconds (default 14); fuzz/README.md has the long runs
#
# The test mode also builds the Debian package and checks it (the ctest test
# package_deb), with dpkg-shlibdeps for its dependencies and the desktop and
# AppStream validators.
#
# Packages are installed only when missing and the build is incremental, so a
# second run with nothing changed takes seconds. Needs root or sudo only for
# apt-get.
set -euo pipefail
cd "$(dirname "$0")"
mode=${1:-run}
[ $# -gt 0 ] && shift

packages=(
  build-essential cmake ninja-build ccache pkg-config
  libjpeg62-turbo-dev libpng-dev libexif-dev liblcms2-dev libheif-dev libwebp-dev libgs-common libgtest-dev
  qt6-base-dev libgl-dev libxcb1-dev fonts-dejavu-core fp-utils
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n qt6-wayland weston
  qpdf poppler-utils libjpeg-turbo-progs imagemagick libheif-examples webp mupdf-tools
  dpkg-dev file desktop-file-utils appstream groff-base python3-debian
  clang-14 libclang-rt-14-dev clang-format
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
fi

# The options are given again to a build folder that exists: its cache would
# otherwise keep what it was first configured with (warnings as errors off).
configure_and_build() { # build-dir cmake-options...
  local dir=$1
  shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -G Ninja "$@"
  elif [ $# -gt 0 ]; then
    cmake -S . -B "$dir" "$@"
  fi
  cmake --build "$dir"
}

case "$mode" in
  run)
    configure_and_build build
    exec build/ui/vorpane "$@"
    ;;
  test)
    configure_and_build build -DVORPANE_WERROR=ON
    ctest --test-dir build --output-on-failure -j 2
    ;;
  sanitize)
    configure_and_build build-sanitize -DVORPANE_SANITIZE=ON -DVORPANE_WINDOW=OFF -DVORPANE_WERROR=ON
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir build-sanitize --output-on-failure -j 2
    ;;
  fuzz)
    if [ -f build-fuzz/CMakeCache.txt ]; then
      cmake -S fuzz -B build-fuzz -DVORPANE_WERROR=ON
    else
      cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DVORPANE_WERROR=ON
    fi
    cmake --build build-fuzz -j 2
    fuzz/run.sh --seconds "${1:-14}"
    ;;
  *)
    echo "usage: $0 [run|test|sanitize|fuzz]" >&2
    exit 64
    ;;
esac
