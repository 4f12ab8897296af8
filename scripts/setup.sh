#!/usr/bin/env bash
# One set-up for people and CI: installs the Debian packages it needs (only
# when some are missing: "run" and "package" those of building and running
# the program, "test" also the test tools), builds, and then starts the
# program on a freshly made demo camera ("run"), runs the whole test suite and
# checks the Debian package ("test"), or makes the Debian package ("package").
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
# ccache keys its results on paths relative to the checkout, so a fresh clone
# in another folder builds from the same cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

# What building and running the program need.
packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libgl-dev
  libjpeg62-turbo-dev libturbojpeg0-dev libexiv2-dev
  libcurl4-openssl-dev libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libburn-dev libisofs-dev libgphoto2-dev libswresample-dev
  # the icon and the manual page of the installed program
  librsvg2-bin
  # the camera-card registration, and the signed web update
  xdg-utils libsodium-dev
  # Qt's own dialog texts in the language the user chose
  qt6-translations-l10n
)

# What the tests, benchmarks and package checks add.
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg-turbo-progs gphoto2
  # the PTP tests' virtual camera, built from libgphoto2's source package
  dpkg-dev
  # the viewfinder tests' own sound server; the disc image and movie checks
  pulseaudio xorriso ffmpeg
  xvfb xauth imagemagick exiftran
  # EXIF blocks of real cameras for the picture tests
  golang-github-rwcarlsen-goexif-dev
  clang libclang-rt-14-dev
  file man-db desktop-file-utils appstream lintian
  # the mail and web tests' loopback servers and their certificate
  python3 python3-aiosmtpd tinyproxy-bin openssl
)

# Installs what is missing of the packages, and of the test packages for "test".
install_packages() {
  local wanted=("${packages[@]}")
  [ "$1" = test ] && wanted+=("${test_packages[@]}")
  local missing=()
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build_all() {
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j2
}

run_program() {
  local home="${LUMVIK_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/Lumvik_utilities}"
  local camera="$home/demo-camera"
  if [ -x "$build/tools/demo-camera/lumvik-demo-camera" ]; then
    [ -d "$camera" ] || "$build/tools/demo-camera/lumvik-demo-camera" "$camera"
    export LUMVIK_CAMERA="sim:$camera"
  fi
  exec "$build/app/Lumvik_utilities" "$@"
}

# The .deb goes to build/; its dependencies come from dpkg-shlibdeps.
make_package() {
  rm -f "$build"/lumvik-utilities_*.deb
  (cd "$build" && cpack -G DEB >/dev/null)
  ls "$build"/lumvik-utilities_*.deb
}

run_tests() {
  # The normal build holds what is shipped or timed: the package, the demo
  # camera and the benchmarks. The test programs are built sanitized only.
  local shipped=(Lumvik_utilities lumvik-import tesselink packaging/all)
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j2 --target "${shipped[@]}" tools/all
  # Each fuzz target a short while, from its seeds. A new input that fails is
  # reported and kept in tests/regressions for the regression suite; it does
  # not stop this run, whose verdict is the suite's below.
  local fuzzed=0
  bash "$root/scripts/fuzz.sh" 30 || fuzzed=$?
  case $fuzzed in
    0) ;;
    3) echo "fuzzing found failing inputs: see tests/regressions/" >&2 ;;
    *) return "$fuzzed" ;;
  esac
  # The package's lintian warnings are shown, its errors fail the run.
  local deb
  deb=$(make_package)
  lintian --fail-on error "$deb"
  # The whole suite runs under AddressSanitizer, leaks included, and
  # UndefinedBehaviorSanitizer, each stopping its test at the first fault.
  # The suite's summary is the run's last word.
  local sanitize="$root/build-sanitize"
  cmake -S "$root" -B "$sanitize" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMVIK_SANITIZE=ON >/dev/null
  cmake --build "$sanitize" -j2 --target "${shipped[@]}" tests/all
  # The PTP tests' virtual camera, where their CMake cache expects it.
  bash "$root/scripts/vcamera.sh" "$sanitize/vcamera"
  cd "$sanitize"
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300
}

case "${1:-}" in
  run) install_packages run; build_all; shift; run_program "$@" ;;
  test) install_packages test; run_tests ;;
  package) install_packages run; build_all; make_package ;;
  *) echo "usage: $0 run|test|package" >&2; exit 2 ;;
esac
