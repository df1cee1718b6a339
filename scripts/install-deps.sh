#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
#   scripts/install-deps.sh run      what ./run needs to build and start the programs
#   scripts/install-deps.sh medium   besides, what the sample install medium (./run setup) needs
#   scripts/install-deps.sh test     besides, what ./test and the benchmarks need
#   scripts/install-deps.sh windows  what the Windows cross-build and its run under Wine need
#   scripts/install-deps.sh release  besides, what scripts/release.sh needs for the Debian package
#                                    (it asks for the windows set itself)
# Only what is missing is installed, and the list is printed first. SMARCH_SKIP_DEPS=1 skips
# this step (you installed everything yourself); without apt-get it only names the packages.
set -euo pipefail

# Building and running the programs.
run_packages=(
  cmake
  g++
  make
  pkg-config
  qt6-base-dev
  qt6-base-dev-tools
  libgl-dev
  fonts-dejavu-core
  help2man
)

# Writing the sample install medium: its files are Microsoft-LZ compressed.
medium_packages=(
  mscompress
)

# The tests and the benchmarks.
test_packages=(
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  libmspack-dev
  python3
  python3-aiosmtpd
  wine
  wine64
)

# The Debian package, which the tests make too: CPack takes its dependencies from dpkg-shlibdeps
# (dpkg-dev), which finds the programs with `file`; lintian checks it.
package_packages=(
  dpkg-dev
  file
  lintian
)

# The Windows cross-build (against ../shared/qt6-mingw), its test run under Wine, and the
# check of the packed zip (tests/package/check-windows-package.sh), which drives the editor's window
# on a virtual X server.
windows_packages=(
  cmake
  ninja-build
  qt6-base-dev-tools
  g++-mingw-w64-x86-64-posix
  googletest
  wine
  wine64
  mscompress
  zip
  unzip
  xvfb
  xdotool
  x11-apps
)

# The fuzzer of the registry file parser: installed when the archive has it, skipped otherwise.
optional_test_packages=(
  clang-14
  libclang-rt-14-dev
)

[ "${SMARCH_SKIP_DEPS:-0}" = 1 ] && exit 0

packages=("${run_packages[@]}")
optional=()
case "${1:-run}" in
  run) ;;
  medium) packages+=("${medium_packages[@]}") ;;
  test)
    packages+=("${medium_packages[@]}" "${test_packages[@]}" "${package_packages[@]}")
    optional=("${optional_test_packages[@]}")
    ;;
  windows) packages=("${windows_packages[@]}") ;;
  release) packages+=("${medium_packages[@]}" "${package_packages[@]}" git) ;;
  *)
    echo "usage: scripts/install-deps.sh [run|medium|test|windows|release]" >&2
    exit 2
    ;;
esac

if ! command -v apt-get >/dev/null || ! command -v dpkg-query >/dev/null; then
  echo "No apt-get here, so nothing is installed. Needed (Debian names; CMake 3.25 and Qt 6.4 or" \
    "newer): ${packages[*]} ${optional[*]}" >&2
  echo "Set SMARCH_SKIP_DEPS=1 once they are installed to skip this note." >&2
  exit 0
fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

available() {
  apt-cache show --no-all-versions "$1" >/dev/null 2>&1
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
optional_missing=()
for p in "${optional[@]}"; do
  installed "$p" || optional_missing+=("$p")
done
# Optional packages are asked for only when the archive has them; the package lists are
# refreshed only when something required is missing.
if [ ${#missing[@]} -eq 0 ]; then
  wanted=()
  for p in "${optional_missing[@]}"; do available "$p" && wanted+=("$p"); done
  optional_missing=("${wanted[@]}")
  [ ${#optional_missing[@]} -eq 0 ] && exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  echo "Missing Debian packages: ${missing[*]}; refreshing the package lists"
  "${sudo_cmd[@]}" apt-get update -qq
fi
for p in "${optional_missing[@]}"; do
  if available "$p"; then missing+=("$p"); else echo "Not in the package archive, skipped: $p"; fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing Debian packages: ${missing[*]}"
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
