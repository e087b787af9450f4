#!/usr/bin/env bash
# Builds the library and the tool, then groups the bundled synthetic sample.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
"$top/scripts/build.sh" >/dev/null
"$build/cli/kestrava" "$top/samples/records.txt"
