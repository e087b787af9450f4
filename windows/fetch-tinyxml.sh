#!/usr/bin/env bash
# Fetches Debian's TinyXML 2.6.2 source package into DEST (a build folder,
# never the repository) with all its Debian patches applied, security fixes
# included, and prints the unpacked source folder. The Windows build compiles
# it for the target (KESTRAVA_TINYXML_SOURCE_DIR). Needs the deb-src lines
# and dpkg-dev that scripts/install-deps.sh sets up. Does nothing but check
# when the source is already there.
set -euo pipefail
dest=${1:?usage: fetch-tinyxml.sh DEST}
mkdir -p "$dest"
cd "$dest"

complete() {  # $1: unpacked folder; every patch of the series applied
  local dir=$1
  [ -f "$dir/tinyxml.cpp" ] && [ -f "$dir/debian/patches/series" ] && [ -f "$dir/.pc/applied-patches" ] || return 1
  cmp -s <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$dir/debian/patches/series") "$dir/.pc/applied-patches"
}

src=$(ls -d tinyxml-*/ 2>/dev/null | head -n1 || true)
src=${src%/}
if [ -z "$src" ] || ! complete "$src"; then
  command -v dpkg-source >/dev/null || { echo "fetch-tinyxml: dpkg-source missing (install dpkg-dev: scripts/install-deps.sh)" >&2; exit 1; }
  rm -rf tinyxml-* tinyxml_*
  # apt-get source unpacks with dpkg-source, which applies debian/patches.
  apt-get source -q tinyxml >&2 || {
    echo "fetch-tinyxml: 'apt-get source tinyxml' failed: are deb-src lines set up? (scripts/deps/windows.setup)" >&2
    exit 1
  }
  src=$(ls -d tinyxml-*/ | head -n1)
  src=${src%/}
  complete "$src" || { echo "fetch-tinyxml: $dest/$src lacks applied Debian patches" >&2; exit 1; }
fi
echo "$dest/$src"
