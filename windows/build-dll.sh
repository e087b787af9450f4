#!/usr/bin/env bash
# Cross-compiles the 32-bit Kestrava.dll and the Windows test program into
# BUILD (default build-windows beside the repository's build/): TinyXML from
# Debian's source package, then the project's own CMakeLists with the MinGW
# toolchain file. Incremental when run again.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-windows}
mkdir -p "$build"
build=$(cd "$build" && pwd)
for tool in i686-w64-mingw32-gcc i686-w64-mingw32-g++; do
  command -v "$tool" >/dev/null || { echo "build-dll: $tool missing (g++-mingw-w64-i686; run scripts/install-deps.sh)" >&2; exit 1; }
done
tinyxml=$("$top/windows/fetch-tinyxml.sh" "$build/tinyxml")
cmake -S "$top" -B "$build/tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/i686-w64-mingw32.cmake" \
  -DKESTRAVA_TINYXML_SOURCE_DIR="$tinyxml" >&2
cmake --build "$build/tree" -j2 >&2  # stdout carries only the path below
echo "$build/tree/api/Kestrava.dll"
