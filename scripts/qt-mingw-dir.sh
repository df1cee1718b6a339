#!/usr/bin/env bash
# Prints the folder of the Qt for Windows that the cross-build uses: $SMARCH_QT_MINGW when set,
# else ../shared/qt6-mingw beside the repository, else (in a local clone) the one beside the
# repository it was cloned from. Prints nothing and exits 1 when there is none.
cd "$(dirname "$0")/.."
qt=${SMARCH_QT_MINGW:-../shared/qt6-mingw}
origin=$(git remote get-url origin 2>/dev/null || true)
if [ -z "${SMARCH_QT_MINGW:-}" ] && [ ! -d "$qt" ] && [ -d "$origin/../shared/qt6-mingw" ]; then
  qt=$origin/../shared/qt6-mingw
fi
[ -f "$qt/mingw-w64-x86_64.cmake" ] && (cd "$qt" && pwd)
