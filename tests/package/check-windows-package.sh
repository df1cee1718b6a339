#!/usr/bin/env bash
# Proves that build/win/saltmarch98-VERSION-win64.zip and the install medium beside it stand on
# their own: packed afresh, unzipped into an empty folder and run under Wine in a new 64-bit
# prefix of its own (build/win/check/prefix), with no Qt or mingw folder on WINEPATH, the zip's
# programs
#   a. install the sample medium with `setup.exe --unattended` into C:\Saltmarch98, byte for
#      byte, and refuse a medium with a missing piece without leaving a half file;
#   b. find a game through the prefix's registry (`smarch-units locate`) and change only the
#      bytes of the fields set (`smarch-units set`);
#   c. let the editor's own window (on a private X server, driven by key presses) find the game,
#      back it up, save one unit and apply it to templates.bin byte for byte;
# and the install medium's own setup.exe
#   d. installs the editor into C:\Saltmarch98 as the zip holds it, byte for byte, whose
#      smarch.exe starts and shows its main window and whose smarch-units.exe --version names
#      the project's version; installed again, it updates and keeps the editor's backups.
# Each step prints "ok: ..." or "FAIL: ...". Exit status 0 only when all passed. Run it after
# scripts/build-windows.sh; every Wine wait has a time limit, the whole run about two minutes.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
root=$PWD
scripts/install-deps.sh windows || exit 1

build=$root/build/win/main
check=$root/build/win/check
[ -f "$build/sample-medium/VOVIVADU.ZED" ] || { echo "Build it first: scripts/build-windows.sh" >&2; exit 1; }
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(ls /usr/lib/wine/wineserver64 2>/dev/null || command -v wineserver)

# Wine is given nothing of the build: no DLL folders, no Qt settings, a home of its own (the
# prefix's Desktop and documents lead there, not into the user's home).
unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM QT_QPA_PLATFORM_PLUGIN_PATH WINEQT_QPA_FONTDIR \
  SALTMARCH_REGISTRY_DIR XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
export WINEPREFIX=$check/prefix WINEARCH=win64 WINEDEBUG=-all HOME=$check/home
# No Mono or Gecko installer prompts, and no desktop menu entries made from Windows links.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# A run left behind by an interrupted check is ended and wiped first.
[ -d "$WINEPREFIX" ] && "$wineserver" -k 2>/dev/null
rm -rf "$check"
mkdir -p "$check" "$HOME/Desktop"

failures=0
ok() { echo "ok: $*"; }
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

xvfb_pid=
editor_pid=
unpacked=$(mktemp -d)
cleanup() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null
  "$wineserver" -k 2>/dev/null
  timeout 30 "$wineserver" -w 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$unpacked"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Every wait ends by this moment, so a hung program cannot hold the run for long.
deadline=$((SECONDS + 360))
limit() {
  local left=$((deadline - SECONDS))
  ((left < $1)) && echo $((left > 1 ? left : 1)) || echo "$1"
}
# Runs a Windows program under Wine for at most $1 seconds.
run() {
  local seconds=$1
  shift
  timeout -k 5 "$(limit "$seconds")" "$wine" "$@"
}

# The package, unzipped.
scripts/package-windows.sh >"$check/package.log" 2>&1 || { cat "$check/package.log" >&2; exit 1; }
version=$(sed -n 's/^project(Saltmarch98 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
unzip -q "$root/build/win/saltmarch98-$version-win64.zip" -d "$unpacked"
pkg=$unpacked/Saltmarch98
ok "packed and unzipped the zip: $(cd "$pkg" && find . -type f | wc -l) files"

# A private X server: Wine's windows become X windows there, and only this check types into them.
# Xvfb picks a free display and writes its number once it is ready.
Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp 4>"$check/display" 2>"$check/xvfb.log" &
xvfb_pid=$!
display=
for _ in $(seq 100); do
  display=$(tr -dc 0-9 <"$check/display")
  [ -n "$display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null && break
  sleep 0.1
done
[ -n "$display" ] || { fail "Xvfb did not start: $(cat "$check/xvfb.log")"; exit 1; }
export DISPLAY=:$display

if timeout -k 5 "$(limit 120)" "$wine" wineboot -u >"$check/wineboot.log" 2>&1 &&
  timeout "$(limit 60)" "$wineserver" -w && [ -f "$WINEPREFIX/system.reg" ]; then
  ok "made a fresh 64-bit Wine prefix ($WINEPREFIX)"
else
  fail "wineboot could not make the prefix: $(tail -3 "$check/wineboot.log")"
  exit 1
fi
drive_c=$WINEPREFIX/drive_c

# --- a. The install medium through the zip's setup.exe --------------------------------------
medium=$build/sample-medium

# The medium's file or piece, expanded as setup expands it (plain files pass as they are).
expand() {
  if [ "$(head -c 4 "$1")" = SZDD ]; then msexpand <"$1"; else cat "$1"; fi
}

# Writes into $2 every file the medium's script installs on a new installation, expanded from
# the medium $1 here on Linux: the bytes setup must produce.
expected_install() {
  local medium=$1 out=$2 n=0 folder="" command argument target count template piece j
  while IFS= read -r command; do
    n=$((n + 1))
    ((n <= 4)) && continue # product, location, size, marker file
    case "$command" in
      u?:*) continue ;; # updates only
      o?:*) command=${command#o} ;;
    esac
    argument=${command#?:}
    argument=${argument//\\//}
    case "$command" in
      C:@I*) folder=${argument#@I} folder=${folder#/} ;;
      C:*) folder=${folder:+$folder/}$argument ;;
      E:*)
        target=$out/${folder:+$folder/}${argument#*>}
        mkdir -p "$(dirname "$target")"
        expand "$medium/${argument%%>*}" >"$target"
        ;;
      S:*)
        count=${argument%%!*} template=${argument#*!} template=${template%%>*}
        target=$out/${folder:+$folder/}${argument#*>}
        mkdir -p "$(dirname "$target")"
        : >"$target"
        for ((j = 1; j <= count; j++)); do
          piece=$(find "$medium" -name "${template:0:${#template}-3}$(printf %03d "$j")" -print -quit)
          expand "$piece" >>"$target"
        done
        ;;
    esac
  done < <(grep -o '"[^"]*"' "$medium/VOVIVADU.ZED" | sed 's/^"//; s/"$//')
}

# Names the first difference between the expected tree $1 and the installed tree $2, leaving
# out the installed folder $3 when given.
tree_difference() {
  local file skip=() expected installed
  [ -n "${3:-}" ] && skip=(-not -path "./$3/*")
  expected=$(cd "$1" && find . -type f | sort)
  installed=$(cd "$2" && find . -type f "${skip[@]}" | sort)
  if [ "$expected" != "$installed" ]; then
    echo "other files: $(diff <(echo "$expected") <(echo "$installed") | grep '^[<>]' | head -5 | tr '\n' ' ')"
    return
  fi
  while IFS= read -r file; do
    cmp -s "$1/$file" "$2/$file" || { echo "$file differs" && return; }
  done <<<"$expected"
}

expected_install "$medium" "$check/expected"
installed=$drive_c/Saltmarch98
(cd "$medium" && run 60 "$pkg/setup.exe" --unattended --location 'C:\Saltmarch98') \
  >"$check/setup.out" 2>&1
status=$?
last=$(tr -d '\r' <"$check/setup.out" | tail -3 | tr '\n' ' ')
if ((status != 0)); then
  fail "setup.exe --unattended into C:\\Saltmarch98 exited $status: $last"
elif [ ! -d "$installed" ]; then
  fail "setup.exe --unattended made no C:\\Saltmarch98: $last"
elif problem=$(tree_difference "$check/expected" "$installed") && [ -n "$problem" ]; then
  fail "setup.exe installed C:\\Saltmarch98 wrong: $problem"
else
  ok "setup.exe --unattended installed $(cd "$installed" && find . -type f | wc -l) files into C:\\Saltmarch98, byte for byte as the medium expands (exit 0)"
  if ls "$drive_c"/users/*/Desktop/"Saltmarch 98.LNK" >/dev/null 2>&1; then
    ok "setup.exe made the Desktop link \"Saltmarch 98.LNK\""
  else
    fail "setup.exe made no Desktop link \"Saltmarch 98.LNK\""
  fi
fi

# The second disk's piece of the editor is missing: setup ends non-zero, and the joined file
# (the first file the script writes) is not left half made.
broken=$unpacked/broken-medium
cp -r "$medium" "$broken"
rm "$broken"/DISK0002/*.002
mkdir -p "$drive_c/Failed"
(cd "$broken" && run 60 "$pkg/setup.exe" --unattended --location 'C:\Failed\Saltmarch98') \
  >"$check/setup-broken.out" 2>&1
status=$?
left=$(cd "$drive_c/Failed" && find . -type f | head -3 | tr '\n' ' ')
if ((status == 0)); then
  fail "setup.exe --unattended with a missing piece exited 0"
elif ! grep -q 'Waiting For Disk: 2' "$check/setup-broken.out"; then
  fail "setup.exe with a missing piece stopped before the piece (exit $status): $(tr -d '\r' <"$check/setup-broken.out" | tail -2 | tr '\n' ' ')"
elif [ -n "$left" ]; then
  fail "setup.exe with a missing piece left files behind: $left"
else
  ok "setup.exe --unattended with the second disk's piece missing exits $status and leaves no file"
fi

# --- b. smarch-units.exe on a game found through the registry --------------------------------
game=$drive_c/Westwood/Dune2000
templates=$game/data/bin/templates.bin
mkdir -p "$game"
cp -r "$build/sample-game/." "$game/"

# Writes the bytes given as \xNN escapes ($3) into file $1 at offset $2.
put_bytes() {
  printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# Compares the changed templates.bin $1 with the expected bytes $2; names the difference.
bytes_difference() {
  cmp -s "$1" "$2" && return
  echo "offset old new (octal), 1-based: $(cmp -l "$2" "$1" | head -6 | tr -s ' \n' ' ')"
}

if run 30 reg add 'HKLM\Software\Westwood\Dune 2000' /v InstallPath \
  /d 'C:\Westwood\Dune2000\Dune2000.exe' /reg:32 /f >"$check/reg.out" 2>&1; then
  ok "registered the game in the prefix: HKLM\\Software\\Westwood\\Dune 2000 InstallPath (32-bit view)"
else
  fail "wine reg add of the game's InstallPath failed: $(cat "$check/reg.out")"
fi

run 30 "$pkg/smarch-units.exe" locate >"$check/locate.out" 2>&1
status=$?
found=$(tr -d '\r' <"$check/locate.out" | sed -n 's/^Game folder: *//p')
if ((status == 0)) && [ "$found" = 'C:\Westwood\Dune2000\' ]; then
  ok "smarch-units.exe locate finds the game: $found"
else
  fail "smarch-units.exe locate (exit $status) gave \"$found\": $(tr -d '\r' <"$check/locate.out" | head -3 | tr '\n' ' ')"
fi

# Vehicle 3's record starts at 0x700: Sight is its byte 16, Cost its bytes 28..31 (1234).
cp "$templates" "$check/units-before.bin"
cp "$templates" "$check/units-expected.bin"
put_bytes "$check/units-expected.bin" $((0x700 + 16)) '\x05'
put_bytes "$check/units-expected.bin" $((0x700 + 28)) '\xd2\x04\x00\x00'
run 30 "$pkg/smarch-units.exe" set 'C:\Westwood\Dune2000' vehicle 3 Cost=1234 Sight=5 \
  >"$check/set.out" 2>&1
status=$?
if ((status != 0)); then
  fail "smarch-units.exe set exited $status: $(tr -d '\r' <"$check/set.out" | tr '\n' ' ')"
elif problem=$(bytes_difference "$templates" "$check/units-expected.bin") && [ -n "$problem" ]; then
  fail "smarch-units.exe set changed templates.bin wrong: $problem"
else
  ok "smarch-units.exe set changed only vehicle 3's Cost and Sight bytes ($(cmp -l "$check/units-before.bin" "$templates" | wc -l) bytes)"
fi

# --- c. The editor's window --------------------------------------------------------------------
# The first start of the editor in this prefix: it takes the game from the registry, offers a
# backup (Yes), reports it, shows its splash (Enter), then the frame. Settings > Infantry opens
# Light Infantry with the focus on its Edit Mode button; four Tabs reach Cost.
answered=" "
# Waits up to $2 seconds for a new visible window whose caption matches $1; prints its id.
wait_window() {
  local until=$((SECONDS + $(limit "$2"))) id
  while ((SECONDS < until)); do
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
      [[ $answered == *" $id "* ]] || { echo "$id" && return 0; }
    done
    kill -0 "$editor_pid" 2>/dev/null || return 1
    sleep 0.25
  done
  return 1
}
# Gives window $1 the keyboard and types the keys that follow.
keys_to() {
  xdotool windowfocus --sync "$1" 2>/dev/null
  sleep 0.3
  shift
  xdotool key --clearmodifiers --delay 120 "$@"
}
# Answers the next new window captioned $1 with the keys that follow; $2 names it for a FAIL.
answer() {
  local caption=$1 what=$2 id
  shift 2
  if ! id=$(wait_window "$caption" 30); then
    fail "smarch.exe: no $what (a window captioned \"$caption\") appeared"
    screenshot
    return 1
  fi
  answered+="$id "
  keys_to "$id" "$@"
}
# The settings windows are drawn inside the frame's own X window: a change shows only in its
# picture. Waits up to $3 seconds until the picture of window $1 differs from $2 and has stayed
# the same for a moment ($2 empty: until it is steady).
picture() { xwd -id "$1" -silent 2>/dev/null | md5sum; }
wait_redrawn() {
  local until=$((SECONDS + $(limit "$3"))) last="" now steady=0
  while ((SECONDS < until)); do
    sleep 0.3
    now=$(picture "$1")
    if [ "$now" != "$2" ] && [ "$now" = "$last" ]; then
      ((++steady >= 4)) && return 0
    else
      steady=0
    fi
    last=$now
  done
  return 1
}
screenshot() {
  command -v xwd >/dev/null && xwd -root -silent >"$check/failure.xwd" 2>/dev/null &&
    echo "  the screen is in $check/failure.xwd"
}

# The editor's first start in a prefix: it offers a backup (Yes), reports it and shows its
# splash (Enter), then its main window, whose id it leaves in $frame. $1 names it for a FAIL.
frame=
main_window() {
  answer '^Confirm$' "first-run backup question" Return || return 1
  answer '^Information$' "\"Backup Was Successful\" notice" Return || return 1
  answer '^About$' "splash" Return || return 1
  frame=$(wait_window '^Saltmarch 98 : Glass Horizon' 30) || {
    fail "$1: its main window did not appear"
    return 1
  }
}

editor_done() {
  local status=0
  [ -z "$editor_pid" ] && return 0
  if timeout "$(limit 30)" tail --pid="$editor_pid" -f /dev/null; then
    wait "$editor_pid"
    status=$?
  else
    status=124
  fi
  editor_pid=
  return $status
}

cp "$templates" "$check/editor-before.bin"
cp "$templates" "$check/editor-expected.bin"
# Light Infantry's record starts at 0: Cost is its bytes 28..31 (777).
put_bytes "$check/editor-expected.bin" 28 '\x09\x03\x00\x00'
(cd "$pkg" && exec timeout -k 5 "$(limit 150)" "$wine" smarch.exe) >"$check/smarch.out" 2>&1 &
editor_pid=$!
gui() {
  main_window "smarch.exe" || return 1
  ok "smarch.exe started, asked its first-run question, backed up and showed its main window"
  local before
  wait_redrawn "$frame" "" 30 && before=$(picture "$frame")
  keys_to "$frame" alt+s
  sleep 1
  xdotool key i
  wait_redrawn "$frame" "$before" 30 || {
    fail "smarch.exe: Settings > Infantry opened no window"
    screenshot
    return 1
  }
  xdotool key --delay 150 Tab Tab Tab Tab ctrl+a
  xdotool type --delay 100 777
  sleep 0.3
  xdotool key alt+s
  answer '^Information$' "\"Light Infantry Saved Successfully\" notice" Return || return 1
  answer '^Saltmarch 98$' "hint after saving" Return || return 1
  sleep 0.5
  keys_to "$frame" ctrl+alt+s
  answer '^Information$' "\"Changes Have Been Applied\" notice" Return || return 1
  sleep 0.5
  keys_to "$frame" alt+p
  sleep 0.5
  xdotool key e
}
if gui; then
  if editor_done; then
    ok "smarch.exe closed through Project > Exit (exit 0)"
  else
    fail "smarch.exe did not end cleanly after Project > Exit (status $?)"
  fi
  if problem=$(bytes_difference "$templates" "$check/editor-expected.bin") && [ -n "$problem" ]; then
    fail "smarch.exe applied Light Infantry's Cost wrong: $problem"
  else
    ok "smarch.exe applied Light Infantry's Cost=777 to templates.bin: only its bytes changed ($(cmp -l "$check/editor-before.bin" "$templates" | wc -l) bytes)"
  fi
  if cmp -s "$pkg/Dune2kBak/templates.bin" "$check/editor-before.bin"; then
    ok "smarch.exe's first-run backup holds the game's templates.bin as it was"
  else
    fail "smarch.exe's backup $pkg/Dune2kBak/templates.bin is not the game's file as it was"
  fi
  run 30 reg query 'HKCU\Software\Pellworth Software\Saltmarch98' >"$check/settings.out" 2>&1
  if tr -d '\r' <"$check/settings.out" | grep -q 'Dune2KLoc.*REG_SZ.*C:\\Westwood\\Dune2000\\$'; then
    ok "smarch.exe kept the game folder in HKCU\\Software\\Pellworth Software\\Saltmarch98"
  else
    fail "smarch.exe's registry key holds no Dune2KLoc of the game: $(tr -d '\r' <"$check/settings.out" | tr '\n' ' ')"
  fi
else
  kill "$editor_pid" 2>/dev/null
  editor_pid=
fi

# --- d. The release medium: the editor, installed by the medium's own setup.exe -------------
# What the zip was packed from (its unzipped copy now holds the backup of c).
packed=$root/build/win/package/Saltmarch98
release=$unpacked/saltmarch98-$version-win64-setup
unzip -q "$root/build/win/saltmarch98-$version-win64-setup.zip" -d "$unpacked"
# The sample's installation and the editor's settings go first: a new installation, and the
# editor's first start, as a user meets them.
rm -rf "$installed" "$drive_c"/users/*/Desktop/"Saltmarch 98.LNK"
run 30 reg delete 'HKCU\Software\Pellworth Software\Saltmarch98' /f >/dev/null 2>&1
# Installs from the medium without a window, the location left as the medium proposes it.
install_release() {
  (cd "$release" && run 90 "$release/setup.exe" --unattended) >"$check/$1.out" 2>&1
}
install_release release-setup
status=$?
last=$(tr -d '\r' <"$check/release-setup.out" | tail -3 | tr '\n' ' ')
if ((status != 0)); then
  fail "the medium's setup.exe --unattended exited $status: $last"
elif problem=$(tree_difference "$packed" "$installed") && [ -n "$problem" ]; then
  fail "the medium installed C:\\Saltmarch98 unlike the packed files: $problem"
else
  ok "the medium's setup.exe installed the packed $(cd "$installed" && find . -type f | wc -l) files into C:\\Saltmarch98, byte for byte"
  ls "$drive_c"/users/*/Desktop/"Saltmarch 98.LNK" >/dev/null 2>&1 &&
    ok "and linked the editor on the desktop" || fail "the medium made no Desktop link"
fi

# Started from its installed folder the first time, the editor backs the game up beside itself.
cp "$templates" "$check/release-before.bin"
answered=" " # the windows of c are gone, and X may give their ids out again
(cd "$installed" && exec timeout -k 5 "$(limit 120)" "$wine" smarch.exe) >"$check/release-smarch.out" 2>&1 &
editor_pid=$!
first_start() {
  main_window "the installed smarch.exe" || return 1
  ok "the installed smarch.exe started and showed its main window"
  keys_to "$frame" alt+p
  sleep 0.5
  xdotool key e
  editor_done || fail "the installed smarch.exe did not end cleanly after Project > Exit"
}
first_start || { kill "$editor_pid" 2>/dev/null; editor_pid=; }

run 30 "$installed/smarch-units.exe" --version >"$check/version.out" 2>&1
status=$?
if ((status == 0)) && grep -q "$version" "$check/version.out"; then
  ok "the installed smarch-units.exe --version prints $version"
else
  fail "the installed smarch-units.exe --version (exit $status) printed: $(tr -d '\r' <"$check/version.out" | head -2 | tr '\n' ' ')"
fi

# Installed again: an update over the first, which keeps the backup.
install_release release-update
status=$?
backup=$installed/Dune2kBak/templates.bin
if ((status != 0)); then
  fail "setup.exe installing over the editor exited $status: $(tr -d '\r' <"$check/release-update.out" | tail -3 | tr '\n' ' ')"
elif ! tr -d '\r' <"$check/release-update.out" | grep -q 'Update That System'; then
  fail "setup.exe did not take C:\\Saltmarch98 for an earlier installation"
elif ! cmp -s "$backup" "$check/release-before.bin"; then
  fail "after the update, the editor's backup $backup is gone or changed"
elif problem=$(tree_difference "$packed" "$installed" Dune2kBak) && [ -n "$problem" ]; then
  fail "after the update, C:\\Saltmarch98 differs from the packed files: $problem"
else
  ok "installed again, setup.exe updated C:\\Saltmarch98 and kept the editor's backup"
fi

((failures == 0)) || { echo "$failures step(s) failed; the files are in $check"; exit 1; }
echo "all steps passed in ${SECONDS}s"
