#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Only what is missing is installed, and the list is printed first. With the argument
# "windows" it installs what the Windows cross-build and its run under Wine need instead.
set -euo pipefail

packages=(
  cmake g++ make pkg-config clang-14 libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libmspack-dev mscompress
  python3 python3-aiosmtpd
  fonts-dejavu-core
)
if [ "${1:-}" = windows ]; then
  packages=(
    cmake ninja-build qt6-base-dev-tools
    g++-mingw-w64-x86-64-posix googletest wine64
    mscompress zip
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
