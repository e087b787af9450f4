#!/usr/bin/env bash
# The Windows DLL's proof, run by CTest from the Linux build:
#   1. cross-builds Kestrava.dll and the Windows test program (build-dll.sh);
#   2. checks the DLL's export and import tables (check-dll.sh);
#   3. runs the shared grouping cases through the DLL under Wine (LoadLibrary,
#      GetProcAddress by decorated name, stdcall calls with the stack pointer
#      checked after each) and through libKestrava.so on Linux, and compares
#      the two outputs byte for byte;
#   4. shows that the stack check bites: a cdecl impostor DLL is rejected.
# Fails, never skips, when the cross compiler or Wine is missing.
#
# usage: test-under-wine.sh BUILD_DIR LINUX_RUNNER CASES_FILE [REPEAT]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: test-under-wine.sh BUILD_DIR LINUX_RUNNER CASES_FILE [REPEAT]}
linux_runner=${2:?}
cases=${3:?}
repeat=${4:-50}

missing=""
for tool in i686-w64-mingw32-g++ i686-w64-mingw32-objdump wine; do
  command -v "$tool" >/dev/null || missing="$missing $tool"
done
if [ -n "$missing" ]; then
  echo "FAIL: missing$missing: the Windows DLL cannot be built or run; install with scripts/install-deps.sh" >&2
  exit 1
fi

mkdir -p "$build"
build=$(cd "$build" && pwd)
dll=$("$top/windows/build-dll.sh" "$build" | tail -n1)
runner_exe=$build/tree/windows/kestrava_case_runner.exe
"$top/windows/check-dll.sh" "$dll"

# Wine's own first start (creating its prefix) happens once per build folder.
export WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w || true
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "FAIL: Wine could not create its prefix $WINEPREFIX" >&2; exit 1; }

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
work=$build/cases
rm -rf "$work"
mkdir -p "$work/linux" "$work/windows"

# Both runs start in the same kind of folder, so relative paths in the
# cases (a missing file) read the same on both.
(cd "$work/linux" && "$linux_runner" "$cases" "$work/linux" "$repeat" >"$work/linux.out" 2>"$work/linux.err") || {
  echo "FAIL: Linux runner:" >&2; cat "$work/linux.err" >&2; exit 1; }
(cd "$work/windows" && wine "$runner_exe" "$(winpath "$cases")" "$(winpath "$work/windows")" "$repeat" \
   "$(winpath "$dll")" >"$work/windows.out" 2>"$work/windows.err") || {
  echo "FAIL: Windows runner under Wine:" >&2; cat "$work/windows.err" >&2; exit 1; }
wineserver -w || true

if ! cmp -s "$work/linux.out" "$work/windows.out"; then
  echo "FAIL: Kestrava.dll under Wine differs from libKestrava.so:" >&2
  diff "$work/linux.out" "$work/windows.out" >&2 || true
  exit 1
fi
# The check itself can fail: a DLL whose functions are cdecl under the same
# names (they leave their arguments on the stack) must be rejected.
impostor=$build/tree/windows/cdecl_impostor.dll
if (cd "$work/windows" && wine "$runner_exe" "$(winpath "$cases")" "$(winpath "$work/windows")" 1 \
      "$(winpath "$impostor")" >/dev/null 2>"$work/impostor.err"); then
  echo "FAIL: the Windows test program accepted the cdecl impostor DLL" >&2
  exit 1
fi
grep -q 'ESP moved by -32 bytes' "$work/impostor.err" || {
  echo "FAIL: the cdecl impostor DLL was rejected for another reason:" >&2; cat "$work/impostor.err" >&2; exit 1; }
wineserver -w || true

grep '^case .*XML file' "$work/windows.err" || true
echo "Kestrava.dll under Wine: $(tail -n1 "$work/windows.err"); $(wc -l <"$work/windows.out") output lines identical to libKestrava.so"
