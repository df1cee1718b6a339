#!/usr/bin/env bash
# Runs the Windows tests of scripts/build-windows.sh under Wine, offscreen, one Wine server for
# the whole run, and leaves none running. Arguments go to ctest (e.g. -R setup_test).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/win/main
[ -f "$build/CTestTestfile.cmake" ] || { echo "Build it first: scripts/build-windows.sh" >&2; exit 1; }
export SMARCH_WINE_PREFIX=$PWD/build/win/prefix
scripts/wine-run.sh --start
trap 'scripts/wine-run.sh --stop' EXIT
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j2 "$@"
