#!/usr/bin/env bash
# Runs one Windows program of the cross-build under Wine, in the build's own 64-bit prefix
# (made on first use), finding Qt's and the mingw runtime's DLLs.
#   wine-run.sh PROGRAM.exe ARGS...   run it
#   wine-run.sh --start               make the prefix and keep its Wine server up until --stop
#   wine-run.sh --stop                let the prefix's Wine server end; end it if it lingers
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${SMARCH_WINE_PREFIX:-$root/build/win/prefix}
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts while the prefix is made, and no menu entries or desktop
# launchers made from the programs' shell links.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The prefix's Desktop and Documents lead into a home of the build's own, not the user's.
export HOME=$root/build/win/home
mkdir -p "$HOME/Desktop"
qt=$(cd "${SMARCH_QT_MINGW:-$root/../shared/qt6-mingw}" && pwd)
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(ls /usr/lib/wine/wineserver64 2>/dev/null || command -v wineserver)

make_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  mkdir -p "$WINEPREFIX"
  # A 64-bit-only Wine reports a missing syswow64\rundll32.exe here; that is harmless.
  "$wine" wineboot -u >/dev/null 2>&1 || true
  timeout 120 "$wineserver" -w || true
}

case "${1:-}" in
  --start)
    make_prefix
    # Fails harmlessly when the server is up already.
    "$wineserver" -p </dev/null >/dev/null 2>&1 || true
    # Wine's own services start with the first program and live as long as the server; started
    # here they hold no test's output open (ctest would wait for them to end).
    "$wine" wineboot </dev/null >/dev/null 2>&1 || true
    exit 0
    ;;
  --stop)
    [ -d "$WINEPREFIX" ] || exit 0
    "$wineserver" -k 2>/dev/null || true
    timeout 60 "$wineserver" -w 2>/dev/null || true
    exit 0
    ;;
esac

make_prefix
gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
export WINEPATH="Z:${qt//\//\\}\\bin;Z:${gcc//\//\\};Z:\\usr\\x86_64-w64-mingw32\\lib"
export QT_PLUGIN_PATH="Z:${qt//\//\\}\\plugins"
# Qt's offscreen platform on Windows reads fonts from one folder only, and Wine brings none Qt
# can use: DejaVu Sans from Debian's fonts-dejavu-core stands in, the family the Linux tests lay
# out with (a folder of the whole set would make another family the default). Wine hands a
# variable starting with QT_ to the program only when it is given with WINE in front.
fonts=$root/build/win/fonts
for face in DejaVuSans{,-Bold,-Oblique,-BoldOblique}.ttf; do
  [ -e "$fonts/$face" ] || { mkdir -p "$fonts" && ln -sf "/usr/share/fonts/truetype/dejavu/$face" "$fonts/"; }
done
export WINEQT_QPA_FONTDIR=${WINEQT_QPA_FONTDIR:-"Z:${fonts//\//\\}"}
exec "$wine" "$@"
