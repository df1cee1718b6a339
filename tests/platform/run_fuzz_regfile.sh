#!/usr/bin/env bash
# Builds the registry file fuzzer with clang and runs it for a few seconds.
#   run_fuzz_regfile.sh CLANGXX SOURCE_DIR WORK_DIR SECONDS
set -euo pipefail
clangxx=$1 src=$2 work=$3 seconds=$4
mkdir -p "$work/corpus"
# Seeds: the two formats the parser reads.
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\X]\r\n"Name"="a\\\\b"\r\n"N"=dword:0000002a\r\n' \
  >"$work/corpus/regedit4"
printf 'WINE REGISTRY Version 2\n;; c\n#arch=win32\n[Software\\\\W\\\\D] 1\n#time=1\n"InstallPath"="C:\\\\D\\\\d.exe"\n@=hex:01,02,\\\n  03\n' \
  >"$work/corpus/wine"
"$clangxx" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined \
  -I"$src/platform" $(pkg-config --cflags Qt6Core) -fPIC \
  "$src/tests/platform/fuzz_regfile.cpp" "$src/platform/regfile.cpp" "$src/platform/textformat.cpp" \
  $(pkg-config --libs Qt6Core) -o "$work/fuzz_regfile"
"$work/fuzz_regfile" -max_total_time="$seconds" -max_len=4096 -print_final_stats=0 \
  -artifact_prefix="$work/" "$work/corpus" 2>&1 | tail -n 5
