#!/usr/bin/env bash
# Makes an install medium for our setup.exe out of a packed Windows folder:
#   scripts/make-windows-medium.sh PACKED_FOLDER MEDIUM_FOLDER
# PACKED_FOLDER is what scripts/package-windows.sh stages (the programs, sm.dat, the Qt and
# runtime DLLs, the Qt plugins in their folders). The medium holds the install script
# VOVIVADU.ZED, every one of those files compressed with mscompress (the biggest one in two
# pieces, the second on disk 2, the DISK0002 folder), and setup.exe with the DLLs it needs to
# start, as they are. The script proposes C:\Saltmarch98, takes smarch.exe there for the mark of
# an earlier installation, installs every file of PACKED_FOLDER where it lies there and puts a
# link to the editor on the desktop. An update replaces the programs and touches nothing else:
# the backups the editor keeps beside itself (Dune2kBak) stay.
set -euo pipefail
packed=$(cd "$1" && pwd)
medium=$2
command -v mscompress >/dev/null || { echo "make-windows-medium: mscompress is missing" >&2; exit 1; }
[ -f "$packed/smarch.exe" ] && [ -f "$packed/setup.exe" ] ||
  { echo "make-windows-medium: no smarch.exe and setup.exe in $packed" >&2; exit 1; }

# The name a compressed file gets on the medium: upper case, its last letter replaced by "_".
packed_name() {
  local name=${1^^}
  echo "${name%?}_"
}
# Compresses file $1 into the medium as $2.
compress() {
  cp "$1" "$work/data"
  rm -f "$work/data_"
  mscompress "$work/data" >/dev/null
  mv "$work/data_" "$medium/$2"
}

# Folder by folder, the program's own first.
files=$(cd "$packed" && find . -type f -printf '%h\t%f\n' | LC_ALL=C sort | sed 's|^\.\t||; s|^\./||; s|\t|/|')
biggest=$(cd "$packed" && find . -type f -printf '%s %P\n' | sort -n | tail -1 | cut -d' ' -f2-)
bytes=$(cd "$packed" && find . -type f -printf '%s\n' | awk '{n += $1} END {print n}')
# The compressed files lie side by side on the medium, so their names must differ.
clash=$(for file in $files; do packed_name "$(basename "$file")"; done | sort | uniq -d)
[ -z "$clash" ] || { echo "make-windows-medium: two files would be $clash" >&2; exit 1; }

rm -rf "$medium"
mkdir -p "$medium/DISK0002"
medium=$(cd "$medium" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# setup.exe starts from the medium: the DLLs it loads, and theirs, lie beside it as they are,
# and Qt's platform and style plugins in their folders.
imports() {
  x86_64-w64-mingw32-objdump -p "$1" | awk '/DLL Name/ {print $3}'
}
plain=(setup.exe platforms/qwindows.dll styles/qwindowsvistastyle.dll)
for ((i = 0; i < ${#plain[@]}; i++)); do
  for dll in $(imports "$packed/${plain[i]}"); do
    [ -f "$packed/$dll" ] && [[ " ${plain[*]} " != *" $dll "* ]] && plain+=("$dll")
  done
done
for file in "${plain[@]}"; do
  mkdir -p "$medium/$(dirname "$file")"
  cp "$packed/$file" "$medium/$file"
done

script=$medium/VOVIVADU.ZED
{
  echo "Saltmarch 98 - install script."
  echo "Only the text in double quotes counts. First the product, the proposed location, the"
  echo "space it needs (bytes) and the file that betrays an earlier installation."
  echo '"Saltmarch 98"'
  echo '"C:\Saltmarch98"'
  echo "\"$((bytes + 64 * 1024))\""
  echo '"smarch.exe"'
  echo
  echo "The program's folder and the folders of Qt's plugins."
  echo '"M:@I"'
  for folder in $(cd "$packed" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort); do
    echo "\"M:@I\\${folder//\//\\}\""
  done
} >"$script"

folder=
for file in $files; do
  here=$(dirname "$file")
  name=$(basename "$file")
  if [ "$here" != "$folder" ]; then
    if [ "$here" = . ]; then echo '"C:@I"'; else echo "\"C:@I\\${here//\//\\}\""; fi >>"$script"
    folder=$here
  fi
  source=$(packed_name "$name")
  if [ "$file" = "$biggest" ]; then
    # Two pieces, each compressed on its own: NAME.001 here, NAME.002 on disk 2.
    stem=${name^^}
    stem=${stem%.*}
    half=$(($(stat -c %s "$packed/$file") / 2))
    head -c "$half" "$packed/$file" >"$work/piece"
    compress "$work/piece" "$stem.001"
    tail -c +$((half + 1)) "$packed/$file" >"$work/piece"
    compress "$work/piece" "DISK0002/$stem.002"
    echo "\"S:2!$source>$name\"" >>"$script"
  else
    compress "$packed/$file" "$source"
    echo "\"E:$source>$name\"" >>"$script"
  fi
done
[ "$folder" = . ] || echo '"C:@I"' >>"$script"
{
  echo
  echo "Last, the link to the editor on the desktop."
  echo '"L:smarch.exe"'
} >>"$script"
commands=$(grep -c '^"' "$script")
((commands <= 204)) || { echo "make-windows-medium: $commands strings, setup takes 204" >&2; exit 1; }
