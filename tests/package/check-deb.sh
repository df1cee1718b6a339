#!/usr/bin/env bash
# The Debian package of a build tree, as a user gets it:
#   check-deb.sh BUILD_DIR VERSION SAMPLE_GAME [CPACK]
# makes it with CPack (the cpack on the path unless CPACK names one) into a temporary folder,
# checks its control fields and its file list, unpacks it with dpkg-deb -x into a temporary root
# and runs its programs from there, and runs lintian on it when lintian is installed. Prints "ok: ..." or "FAIL: ..." per step; exit 0 only
# when all passed.
set -uo pipefail
build=$(cd "$1" && pwd) version=$2 game=$3 cpack=${4:-cpack}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
ok() { echo "ok: $*"; }
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
  fail "cpack -G DEB failed: $(tail -5 "$work/cpack.log")"
  exit 1
fi
arch=$(dpkg --print-architecture)
deb=$work/out/saltmarch98_${version}_$arch.deb
if [ ! -f "$deb" ]; then
  fail "no saltmarch98_${version}_$arch.deb, only: $(cd "$work/out" && ls ./*.deb 2>/dev/null)"
  exit 1
fi
ok "cpack made $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"

# --- The control file -----------------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = saltmarch98 ] && [ "$(field Version)" = "$version" ] &&
  [ "$(field Architecture)" = "$arch" ] &&
  ok "control: saltmarch98 $version $arch" ||
  fail "control names $(field Package) $(field Version) $(field Architecture)"
depends=$(field Depends)
# The programs' libraries decide: Qt's widgets and network libraries must be among them.
if grep -q 'libqt6widgets6' <<<"$depends" && grep -q 'libqt6network6' <<<"$depends" &&
  grep -q 'libc6 (>=' <<<"$depends"; then
  ok "Depends computed from the programs' libraries: $depends"
else
  fail "Depends lacks Qt or libc: \"$depends\""
fi
description=$(field Description)
if [ "$(wc -l <<<"$description")" -ge 3 ] && grep -q 'Dune 2000' <<<"$description"; then
  ok "a description of $(wc -l <<<"$description") lines"
else
  fail "description too short: $description"
fi

# --- The file list --------------------------------------------------------------------------
dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/contents"
for path in /usr/bin/smarch /usr/bin/smarch-units /usr/bin/setup \
  /usr/share/applications/saltmarch98.desktop \
  /usr/share/icons/hicolor/64x64/apps/saltmarch98.png \
  /usr/share/doc/saltmarch98/copyright /usr/share/doc/saltmarch98/changelog.gz; do
  grep -qx "$path" "$work/contents" || fail "the package lacks $path"
done
# Nothing of the build (tests, sample data, headers, libraries) gets into it.
stray=$(grep -v '/$' "$work/contents" | grep -Ev '^/usr/(bin/(smarch|smarch-units|setup)|share/(applications|icons/hicolor/[0-9x]+/apps|doc/saltmarch98|man/man1)/[^/]+)$')
[ -z "$stray" ] && ok "the package holds $(grep -vc '/$' "$work/contents") files, all in their places" ||
  fail "files that do not belong in the package: $(head -5 <<<"$stray" | tr '\n' ' ')"
bad_modes=$(dpkg-deb --contents "$deb" | awk '$1 ~ /^-/ && $2 != "root/root" {print $NF}')
[ -z "$bad_modes" ] || fail "files not owned by root: $bad_modes"

# --- Unpacked, run from there -----------------------------------------------------------------
root=$work/root
dpkg-deb -x "$deb" "$root" || { fail "dpkg-deb -x failed"; exit 1; }
desktop=$root/usr/share/applications/saltmarch98.desktop
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
if [ -x "$root/usr/bin/$exec_name" ] && [ -f "$root/usr/share/icons/hicolor/64x64/apps/$icon_name.png" ]; then
  ok "the desktop entry starts /usr/bin/$exec_name with the icon $icon_name.png"
else
  fail "the desktop entry names a program ($exec_name) or icon ($icon_name) the package lacks"
fi
if out=$("$root/usr/bin/smarch-units" show "$game" 2>&1) && grep -q 'Light Infantry' <<<"$out"; then
  ok "the unpacked smarch-units shows the sample game's units"
else
  fail "the unpacked smarch-units show failed: $(head -3 <<<"$out")"
fi
out=$("$root/usr/bin/smarch-units" --version 2>&1)
if grep -q "$version" <<<"$out"; then
  ok "the unpacked smarch-units --version prints $version"
else
  fail "the unpacked smarch-units --version printed: $(head -2 <<<"$out")"
fi

# --- lintian ----------------------------------------------------------------------------------
if command -v lintian >/dev/null; then
  lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1
  errors=$(grep '^E:' "$work/lintian.log")
  [ -z "$errors" ] && ok "lintian reports no error ($(grep -c '^W:' "$work/lintian.log") warnings)" ||
    fail "lintian: $errors"
else
  echo "skipped: lintian is not installed"
fi

((failures == 0))
