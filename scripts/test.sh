#!/usr/bin/env bash
# Builds everything and runs every test (the README's test command).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
"$top/scripts/build.sh"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
