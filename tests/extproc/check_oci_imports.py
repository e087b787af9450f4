#!/usr/bin/env python3
"""Checks that a shared library leaves the given OCI services undefined (to be
resolved from the process that loads it) and names no OCI client library.

usage: check_oci_imports.py LIBRARY SYMBOL..."""
import re
import subprocess
import sys


def run(*cmd):
    return subprocess.run(cmd, check=True, capture_output=True, text=True).stdout


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    lib, expected = sys.argv[1], set(sys.argv[2:])
    undefined = {line.split()[-1].split("@")[0]
                 for line in run("nm", "-D", "--undefined-only", lib).splitlines() if line.split()}
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", run("readelf", "-d", lib))
    failed = False
    for s in sorted(expected - undefined):
        print(f"not left undefined: {s}")
        failed = True
    for n in needed:
        if re.search(r"oci|clnt|oracle|^libnnz", n, re.IGNORECASE):
            print(f"depends on an OCI library: {n}")
            failed = True
    if failed:
        sys.exit(1)
    print(f"{lib}: {len(expected)} OCI services undefined; needs {', '.join(needed)}")


if __name__ == "__main__":
    main()
