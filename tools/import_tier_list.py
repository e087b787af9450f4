#!/usr/bin/env python3
"""Imports a payer's published comorbidity tier list (single-code list of one
rule version) into the project's data files.

usage: import_tier_list.py --version VERSION [--data-dir DIR]
                           [--code-column NAME] [--tier-column NAME] [--ric-column NAME]
                           LIST_FILE

LIST_FILE is the list exported to CSV or tab-separated text: a header row,
then one row per code, with a column for the diagnosis code, one for the tier
(1, 2 or 3, also written "Tier 1"), and one for the RICs the code is excluded
for (any spelling with the RIC numbers in it: "15", "RIC 03, 05", "1;2;3";
empty when none).  Other columns, such as the code's label, are ignored.
Columns are found by their header (containing "code", "tier", and "ric" or
"exclu"), or named with the options.

VERSION is the rule version the list belongs to ("2.40" .. "4.01", or a list
name such as "401s1").  Codes are written in the stored forms: ICD-9-CM with
its point ("478.31", "430."), ICD-10-CM with its point after the third
character and filled with "^" to eight ("J38.01^^").  The list replaces the
family's single-code list file in DIR (default tables/data/comorbidity); the
build derives every other list of the family from it and the changes between
versions.  Nothing is written unless the whole family then passes every check
of the build; otherwise the first broken rule is printed and the exit status
is 1."""
import argparse
import csv
import glob
import io
import os
import re
import shutil
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tables"))
import gen_comorbidity as gen  # noqa: E402
from tablegen import TableError  # noqa: E402

DEFAULT_DATA_DIR = os.path.normpath(os.path.join(HERE, "..", "tables", "data", "comorbidity"))
TIERS = {"1": "B", "2": "C", "3": "D"}


class ImportError_(Exception):
    pass


def list_of_version(version):
    """The single-code list name of a rule version or list name."""
    for rule_version, single, *_ in gen.RULE_VERSIONS:
        if version in (rule_version, single):
            return single
    raise ImportError_(f"unknown rule version or list {version!r} "
                       f"(one of {', '.join(v for v, *_ in gen.RULE_VERSIONS)})")


def normalise_code(text, icd10):
    code = re.sub(r"[\s^]", "", text).upper()
    if icd10:
        code = code.replace(".", "")
        if not re.fullmatch(r"[A-Z][0-9][0-9A-Z][0-9A-Z]{0,4}", code):
            raise ImportError_(f"{text!r} is not an ICD-10-CM code")
        return (code[:3] + "." + code[3:]).ljust(8, "^")
    if "." in code:
        head, _, tail = code.partition(".")
    else:
        split = 4 if code.startswith("E") else 3
        head, tail = code[:split], code[split:]
    code = head + "." + tail
    if not (4 <= len(code) <= 6 and gen.ICD9_CODE.fullmatch(code)):
        raise ImportError_(f"{text!r} is not an ICD-9-CM code")
    return code


def normalise_tier(text):
    digits = re.findall(r"[0-9]+", text)
    if len(digits) != 1 or digits[0] not in TIERS:
        raise ImportError_(f"tier {text!r} is not 1, 2 or 3")
    return TIERS[digits[0]]


def normalise_rics(text, icd10):
    rics = sorted({int(n) for n in re.findall(r"[0-9]+", text)})
    for n in rics:
        if not 1 <= n <= 21:
            raise ImportError_(f"excluded RICs {text!r} name {n}, which is no RIC 01..21")
    if not rics:
        return " "
    return (", " if icd10 else ",").join(f"{n:02d}" for n in rics)


def stored_spellings(data_dir, fam, name):
    """Exclusion lists whose stored spelling differs from the plain one in the
    list `name` (the rows whose list gained a trailing blank), keyed by code."""
    lists = gen.FAMILIES[fam]["lists"]
    steps = gen.read_changes(os.path.join(data_dir, f"changes_{fam}.tsv"), fam)
    spelling = {}
    for (a, b), changes in steps.items():
        for c in changes:
            if c["change"] == "changed":
                spelling[c["code"]] = c["ric"] if lists.index(name) >= lists.index(b) else c["was"]
    return spelling


def find_column(header, wanted, explicit, patterns):
    lowered = [h.strip().lower() for h in header]
    if explicit is not None:
        if explicit.strip().lower() not in lowered:
            raise ImportError_(f"no column {explicit!r} in the header {header}")
        return lowered.index(explicit.strip().lower())
    for i, h in enumerate(lowered):
        if any(p in h for p in patterns):
            return i
    raise ImportError_(f"no {wanted} column in the header {header}; name it with --{wanted}-column")


def read_payer_list(path, name, data_dir, code_column=None, tier_column=None, ric_column=None):
    fam = gen.family_of(name)
    icd10 = gen.FAMILIES[fam]["icd10"]
    with open(path, encoding="utf-8-sig", newline="") as f:
        text = f.read()
    first = text.splitlines()[0] if text else ""
    delimiter = "\t" if "\t" in first else ","
    table = [row for row in csv.reader(io.StringIO(text), delimiter=delimiter) if any(c.strip() for c in row)]
    if not table:
        raise ImportError_(f"{path}: empty file")
    header = table[0]
    code_i = find_column(header, "code", code_column, ["code"])
    tier_i = find_column(header, "tier", tier_column, ["tier"])
    ric_i = find_column(header, "ric", ric_column, ["ric", "exclu"])
    spelling = stored_spellings(data_dir, fam, name)
    rows, seen = [], {}
    for lineno, cells in enumerate(table[1:], 2):
        try:
            if len(cells) <= max(code_i, tier_i):
                raise ImportError_("too few columns")
            cells = cells + [""] * (len(header) - len(cells))
            code = normalise_code(cells[code_i], icd10)
            tier = normalise_tier(cells[tier_i])
            ric = normalise_rics(cells[ric_i], icd10)
        except ImportError_ as e:
            raise ImportError_(f"{path} row {lineno}: {e}")
        stored = spelling.get(code)
        if stored is not None and stored.replace(" ", "") == ric.replace(" ", ""):
            ric = stored
        if code in seen:
            raise ImportError_(f"{path} row {lineno}: code {code} is also on row {seen[code]}")
        seen[code] = lineno
        rows.append(dict(tier=tier, code=code, ric=ric))
    return sorted(rows, key=gen.sort_key)


def list_file_text(name, rows, source):
    fam = gen.family_of(name)
    out = [f"# Single-code comorbidity list {name} ({'ICD-10-CM' if fam == 'icd10' else 'ICD-9-CM'}), imported",
           f"# from the payer's published list {os.path.basename(source)} by tools/import_tier_list.py.",
           "# The other lists of the family are derived from it by the changes between",
           "# versions.  Columns: tier letter, code as stored, RIC exclusion list exactly",
           "# as stored between double quotes (\" \" = no exclusion).",
           "tier\tcode\tric"]
    out += [f"{r['tier']}\t{r['code']}\t\"{r['ric']}\"" for r in rows]
    return "\n".join(out) + "\n"


def install(data_dir, name, text):
    """Checks the family with the new list in a copy of data_dir, then puts
    it in place.  Returns the completeness of every list."""
    fam = gen.family_of(name)
    with tempfile.TemporaryDirectory() as tmp:
        for f in glob.glob(os.path.join(data_dir, "*.tsv")):
            if not os.path.basename(f).startswith(f"single_{fam}."):
                shutil.copy(f, tmp)
        with open(os.path.join(tmp, f"single_{fam}.{name}.tsv"), "w", encoding="utf-8") as f:
            f.write(text)
        _, single, complete = gen.generate(tmp)
    for old in glob.glob(os.path.join(data_dir, f"single_{fam}.*.tsv")):
        os.remove(old)
    with open(os.path.join(data_dir, f"single_{fam}.{name}.tsv"), "w", encoding="utf-8") as f:
        f.write(text)
    return {n: (len(single[n]), gen.EXPECTED[n][0], complete[n]) for n in gen.FAMILIES[fam]["lists"]}


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("list_file")
    p.add_argument("--version", required=True, help='rule version ("4.01") or list name ("401s1")')
    p.add_argument("--data-dir", default=DEFAULT_DATA_DIR)
    p.add_argument("--code-column")
    p.add_argument("--tier-column")
    p.add_argument("--ric-column")
    args = p.parse_args(argv)
    try:
        name = list_of_version(args.version)
        rows = read_payer_list(args.list_file, name, args.data_dir, args.code_column, args.tier_column,
                               args.ric_column)
        status = install(args.data_dir, name, list_file_text(name, rows, args.list_file))
    except (ImportError_, TableError, OSError) as e:
        print(f"import_tier_list: {e}", file=sys.stderr)
        print("import_tier_list: nothing written", file=sys.stderr)
        return 1
    print(f"imported {len(rows)} rows as list {name}")
    for n, (present, expected, complete) in status.items():
        print(f"  {n:6} {present:5} of {expected:5} rows  {'complete' if complete else 'INCOMPLETE'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
