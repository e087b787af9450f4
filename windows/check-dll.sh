#!/usr/bin/env bash
# Checks Kestrava.dll's binary interface from its PE headers: a 32-bit (i386)
# DLL whose export table holds exactly the three decorated standard-call
# names, and whose import table names only DLLs that every Windows has (so
# no MinGW runtime DLL must ship with it).
set -euo pipefail
dll=${1:?usage: check-dll.sh Kestrava.dll}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
headers=$("$objdump" -p "$dll")
status=0

grep -q 'file format pei-i386' <<<"$headers" || { echo "check-dll: $dll is not a 32-bit (pei-i386) image" >&2; status=1; }

exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort)
want=$(printf '%s\n' _CMG_401@32 _CMG_401_XML@32 _CMG_401_XML_FILE@32 | sort)
if [ "$exports" != "$want" ]; then
  echo "check-dll: export table is" >&2; echo "$exports" | sed 's/^/  /' >&2
  echo "check-dll: expected exactly" >&2; echo "$want" | sed 's/^/  /' >&2
  status=1
fi

# System DLLs present on every Windows since XP.
allowed='^(KERNEL32|msvcrt|USER32|ADVAPI32|ntdll)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$imports" ] || { echo "check-dll: no import table found" >&2; status=1; }
while read -r name; do
  [ -z "$name" ] && continue
  grep -Eiq "$allowed" <<<"$name" || { echo "check-dll: imports $name, which is no system DLL" >&2; status=1; }
done <<<"$imports"

[ $status -eq 0 ] && echo "check-dll: exports $(echo $exports); imports $(echo $imports)"
exit $status
