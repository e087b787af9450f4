#!/usr/bin/env python3
"""Checks that a shared library's dynamic symbol table defines exactly the
expected symbols (besides the linker's own version markers).

usage: check_exports.py LIBRARY SYMBOL...   (mangled names allowed)"""
import subprocess
import sys


def defined_symbols(lib):
    out = subprocess.run(["nm", "-D", "--defined-only", lib], check=True,
                         capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[1] != "A":  # absolute symbols are version nodes
            names.add(parts[2].split("@")[0])
    return names


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    lib, expected = sys.argv[1], set(sys.argv[2:])
    actual = defined_symbols(lib)
    missing, extra = expected - actual, actual - expected
    for s in sorted(missing):
        print(f"missing export: {s}")
    for s in sorted(extra):
        print(f"unexpected export: {s}")
    if missing or extra:
        sys.exit(1)
    print(f"{lib}: exports exactly {', '.join(sorted(expected))}")


if __name__ == "__main__":
    main()
