#!/usr/bin/env bash
# Cross-builds the programs and their tests for 64-bit Windows with mingw-w64, against the
# Qt for Windows kept beside the repository (../shared/qt6-mingw), into build/win.
# Programs the build itself runs (the sample game) and the tests run under Wine through
# scripts/wine-run.sh, so `ctest --test-dir build/win/main` works too; scripts/test-windows.sh
# is the usual way to run them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/install-deps.sh windows

root=$PWD
qt=${SMARCH_QT_MINGW:-$root/../shared/qt6-mingw}
toolchain=$qt/mingw-w64-x86_64.cmake
[ -f "$toolchain" ] || { echo "No Qt for Windows at $qt" >&2; exit 1; }
win=$root/build/win
export SMARCH_WINE_PREFIX=$win/prefix SMARCH_QT_MINGW=$qt

# GoogleTest from Debian's source, built once by the same compiler.
gtest=$win/googletest
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$win/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$gtest" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON >/dev/null
  cmake --build "$win/googletest-build" -j2
  cmake --install "$win/googletest-build" >/dev/null
fi

# make-medium for this machine packs the sample medium: mscompress and strip want Linux paths.
cmake -S . -B "$win/host" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DSMARCH_BUILD_TESTS=OFF -DSMARCH_BUILD_BENCH=OFF >/dev/null
cmake --build "$win/host" --target make-medium -j2

cmake -S . -B "$win/main" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DSMARCH_BUILD_BENCH=OFF -DGTest_DIR="$gtest/lib/cmake/GTest" \
  -DSMARCH_HOST_MAKE_MEDIUM="$win/host/demo/make-medium" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" >/dev/null
# The sample game is written by a Windows program: one Wine server for the build, none after.
scripts/wine-run.sh --start
trap 'scripts/wine-run.sh --stop' EXIT
cmake --build "$win/main" -j2 "$@"
