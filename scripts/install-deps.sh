#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Each feature keeps
# its own list under scripts/deps/ (one package per line, '#' comments).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
pkgs=$(cat "$here"/deps/*.txt | sed 's/#.*//' | tr -s ' \t' '\n' | sed '/^$/d' | sort -u)
# Lists that need extra apt set-up (foreign architectures, source lines) carry
# a matching scripts/deps/NAME.setup script, run first.
for setup in "$here"/deps/*.setup; do
  [ -e "$setup" ] || continue
  $sudo bash "$setup"
done
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  # shellcheck disable=SC2086
  $sudo apt-get install -y -q --no-install-recommends $missing
fi
