#!/usr/bin/env bash
# Configures and builds the project into ${BUILD_DIR:-build} (Release).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} "$@"
cmake --build "$build"
