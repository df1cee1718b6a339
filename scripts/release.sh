#!/usr/bin/env bash
# Makes a release of the committed tree into build/release-dist (dist/ holds the sources of the
# desktop entry and the icon, so the artefacts stay in the build folder with the rest):
#   saltmarch98_VERSION_ARCH.deb               the Debian package (CPack), checked by lintian
#   saltmarch98-VERSION-win64.zip              the Windows programs to unzip anywhere
#   saltmarch98-VERSION-win64-setup/ and .zip  the Windows install medium for our setup.exe
#   saltmarch98-VERSION-src.tar.gz             the sources (git archive of HEAD)
#   SHA256SUMS                                 of every file above
# VERSION is the one of project() in CMakeLists.txt. The Windows build needs the Qt for Windows
# of scripts/build-windows.sh (../shared/qt6-mingw or $SMARCH_QT_MINGW). A tree with changes not
# committed is refused: its programs would not be what the source archive holds.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh release
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: commit or stash your changes first; the release is made of HEAD" >&2
  exit 1
fi
SMARCH_QT_MINGW=$(scripts/qt-mingw-dir.sh) ||
  { echo "release: no Qt for Windows (set SMARCH_QT_MINGW to its folder)" >&2; exit 1; }
export SMARCH_QT_MINGW
version=$(sed -n 's/^project(Saltmarch98 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no project(Saltmarch98 VERSION ...) in CMakeLists.txt" >&2; exit 1; }
out=$root/build/release-dist
rm -rf "$out"
mkdir -p "$out"
started=$SECONDS

# Linux: the programs, their icon and manual pages, optimised, packed by CPack. The tree is
# ./run's, set up and built as ./run does, so neither builds what the other built.
linux=$root/build/release
cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=Release -DSMARCH_BUILD_TESTS=OFF >/dev/null
cmake --build "$linux" -j2
rm -rf "$linux/package"
cpack --config "$linux/CPackConfig.cmake" -G DEB -B "$linux/package"
deb=saltmarch98_${version}_$(dpkg --print-architecture).deb
cp "$linux/package/$deb" "$out/"
if lintian "$out/$deb" | tee "$linux/lintian.log" | grep '^E:'; then
  echo "release: lintian found errors in $deb" >&2
  exit 1
fi

# Windows: the cross-build, its zip and its install medium.
scripts/build-windows.sh
scripts/package-windows.sh
cp "build/win/saltmarch98-$version-win64.zip" "build/win/saltmarch98-$version-win64-setup.zip" "$out/"
cp -r "build/win/saltmarch98-$version-win64-setup" "$out/"

git archive --format=tar.gz --prefix="saltmarch98-$version/" \
  -o "$out/saltmarch98-$version-src.tar.gz" HEAD

(cd "$out" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort |
  xargs -d '\n' sha256sum >SHA256SUMS)
echo "Release $version in $out after $((SECONDS - started)) s:"
(cd "$out" && du -sh -- *)
