#!/usr/bin/env bash
# Packs the Windows build of scripts/build-windows.sh in two ways, VERSION being the project's:
#   build/win/saltmarch98-VERSION-win64.zip: the programs, the splash animation, the Qt DLLs and
#     the plugins they load, the mingw runtime and a README. Unzipped anywhere, smarch.exe and
#     setup.exe start without anything else installed.
#   build/win/saltmarch98-VERSION-win64-setup (and .zip): an install medium of the same files
#     for our own setup.exe, proposing C:\Saltmarch98; see scripts/make-windows-medium.sh.
# The paths and sizes of what it made are printed last.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(sed -n 's/^project(Saltmarch98 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
bin=$root/build/win/main/bin
qt=$(cd "${SMARCH_QT_MINGW:-$root/../shared/qt6-mingw}" && pwd)
for program in smarch setup smarch-units; do
  [ -f "$bin/$program.exe" ] || { echo "Build it first: scripts/build-windows.sh" >&2; exit 1; }
done

stage=$root/build/win/package/Saltmarch98
rm -rf "$stage" && mkdir -p "$stage"
cp "$bin/smarch.exe" "$bin/setup.exe" "$bin/smarch-units.exe" "$bin/sm.dat" "$stage/"
x86_64-w64-mingw32-strip "$stage"/*.exe
cp "$qt"/bin/Qt6{Core,Gui,Widgets,Network}.dll "$stage/"
# Qt looks for its plugins beside the program too.
for plugin in platforms/qwindows styles/qwindowsvistastyle imageformats/qico imageformats/qgif \
  tls/qschannelbackend; do
  mkdir -p "$stage/$(dirname "$plugin")"
  cp "$qt/plugins/$plugin.dll" "$stage/$plugin.dll"
done
gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
cp "$gcc/libstdc++-6.dll" "$gcc/libgcc_s_seh-1.dll" /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll \
  "$stage/"
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/lib*.dll

# Every DLL a packed file imports is either packed or part of Windows.
packed=$(cd "$stage" && find . -name '*.dll' -printf '%f\n' | tr 'A-Z' 'a-z')
for file in $(find "$stage" -name '*.exe' -o -name '*.dll'); do
  for dll in $(x86_64-w64-mingw32-objdump -p "$file" | awk '/DLL Name/ {print tolower($3)}'); do
    case "$dll" in
      qt6* | lib*) grep -qx "$dll" <<<"$packed" || { echo "$file needs $dll" >&2; exit 1; } ;;
    esac
  done
done

sed 's/$/\r/' >"$stage/README.txt" <<TEXT
Saltmarch 98 $version for 64-bit Windows

smarch.exe        the unit editor for Dune 2000: start it, it finds the game
                  through the registry or asks for its folder.
setup.exe         the installer, run from an install medium.
smarch-units.exe  unit statistics from the command line: smarch-units --help.

Keep the files of this folder together: the programs load the DLLs and the
folders beside them. Nothing is written outside the game's folder, the backup
folder you choose and the editor's own registry key.
TEXT

zip=$root/build/win/saltmarch98-$version-win64.zip
rm -f "$zip"
(cd "$(dirname "$stage")" && zip -qr -9 -X "$zip" Saltmarch98)
echo "$zip: $(du -h "$zip" | cut -f1)"

medium=$root/build/win/saltmarch98-$version-win64-setup
scripts/make-windows-medium.sh "$stage" "$medium"
rm -f "$medium.zip"
(cd "$(dirname "$medium")" && zip -qr -9 -X "$medium.zip" "$(basename "$medium")")
echo "$medium: $(du -sh "$medium" | cut -f1), $medium.zip: $(du -h "$medium.zip" | cut -f1)"
