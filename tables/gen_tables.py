#!/usr/bin/env python3
"""Generates the impairment group table and both CMG decision tables from
tables/data/*.tsv, checking every invariant the grouping stages rely on.

usage: gen_tables.py DATA_DIR OUT_CPP

A broken row stops the build with a message naming the table, the row and
the rule it breaks."""
import re
import sys

from tablegen import cell_array, fail, main_guard, read_tsv, write_if_changed

RICS = [f"{i:02d}" for i in range(1, 22)]

# Rows per RIC of the impairment group table (rows 1..85).
IMP_ROWS_PER_RIC = dict(zip(RICS, [5, 2, 2, 9, 9, 6, 4, 6, 1, 5, 3, 1, 2, 1, 2, 4, 2, 3, 1, 16, 1]))
# Rows per RIC of the decision tables.
I39_ROWS_PER_RIC = dict(zip(RICS, [10, 7, 4, 5, 6, 4, 4, 6, 4, 3, 2, 3, 3, 4, 4, 3, 4, 3, 3, 4, 1]))
GG_ROWS_PER_RIC = dict(zip(RICS, [6, 5, 5, 7, 5, 4, 4, 5, 4, 4, 3, 4, 5, 4, 4, 4, 5, 6, 4, 5, 2]))

I39_MOTOR = (120, 840)
GG_MOTOR = (180, 1040)
COG = (5, 35)
AGE = (0, 140)


def check_impairment_groups(rows):
    t = "impairment_groups (Imp240/Ric240)"
    if len(rows) != 85:
        fail(t, None, f"expected 85 rows, found {len(rows)}")
    seen = set()
    for k, r in enumerate(rows, 1):
        code, ric = r["code"], r["ric"]
        if not re.fullmatch(r"\d\d(\.\d{1,4})?", code):
            fail(t, k, f"code {code!r} is not two digits optionally followed by a point and 1-4 digits")
        if code in seen:
            fail(t, k, f"code {code!r} occurs twice")
        seen.add(code)
        if ric not in RICS:
            fail(t, k, f"RIC {ric!r} is not one of 01..21")
        if k > 1:
            prev = rows[k - 2]
            if ric < prev["ric"]:
                fail(t, k, f"RIC {ric} follows RIC {prev['ric']}: rows must be ordered by RIC")
            if ric == prev["ric"] and code.encode() <= prev["code"].encode():
                fail(t, k, f"code {code!r} is not after {prev['code']!r} in byte order within RIC {ric}")
    for ric in RICS:
        n = sum(1 for r in rows if r["ric"] == ric)
        if n != IMP_ROWS_PER_RIC[ric]:
            fail(t, None, f"RIC {ric} has {n} codes, expected {IMP_ROWS_PER_RIC[ric]}")


def num(cell):
    return None if cell == "-" else int(cell)


def check_decision(name, rows, expected_rows, rows_per_ric, motor_domain, has_cog, mot_high_digits):
    if len(rows) != expected_rows:
        fail(name, None, f"expected {expected_rows} rows, found {len(rows)}")
    c = dict(cmg="CMG", ric="RicCode", ml="MotLow", mh="MotHigh", cl="CogLow", ch="CogHigh",
             al="AgeLow", ah="AgeHigh")
    if not has_cog:
        c = {k: v + "40" for k, v in c.items() if k not in ("cl", "ch")}
    prev_ric, seq = None, 0
    for k, r in enumerate(rows, 1):
        ric, cmg = r[c["ric"]], r[c["cmg"]]
        if ric not in RICS:
            fail(name, k, f"RIC {ric!r} is not one of 01..21")
        if prev_ric is not None and ric < prev_ric:
            fail(name, k, f"RIC {ric} follows RIC {prev_ric}: each RIC must be one consecutive run in ascending order")
        seq = seq + 1 if ric == prev_ric else 1
        prev_ric = ric
        if cmg != f"{ric}{seq:02d}":
            fail(name, k, f"CMG {cmg!r} should be {ric}{seq:02d}: RIC followed by consecutive sequence numbers from 01")
        ml, mh = r[c["ml"]], r[c["mh"]]
        if not re.fullmatch(r"\d{3}", ml):
            fail(name, k, f"motor low {ml!r} is not three digits")
        if not re.fullmatch(r"\d{%d}" % mot_high_digits, mh):
            fail(name, k, f"motor high {mh!r} is not {mot_high_digits} digits")
        lo, hi = int(ml), int(mh)
        if not (motor_domain[0] <= lo <= hi <= motor_domain[1]):
            fail(name, k, f"motor band {lo}-{hi} is empty or outside {motor_domain[0]}-{motor_domain[1]}")
        if not has_cog:
            if lo != motor_domain[0] and lo % 10 != 5:
                fail(name, k, f"motor low {lo} must end in 5 (or be the domain start)")
            if hi != motor_domain[1] and hi % 10 != 4:
                fail(name, k, f"motor high {hi} must end in 4 (or be the domain end)")
        pairs = [("age", c["al"], c["ah"], AGE, r"\d{1,3}", r"\d{1,3}")]
        if has_cog:
            pairs.insert(0, ("cognitive", c["cl"], c["ch"], COG, r"\d{1,2}", r"\d{2}"))
        for label, lk, hk, dom, lo_re, hi_re in pairs:
            a, b = r[lk], r[hk]
            if (a == "-") != (b == "-"):
                fail(name, k, f"{label} cells must be blank together")
            if a != "-":
                if not re.fullmatch(lo_re, a) or not re.fullmatch(hi_re, b):
                    fail(name, k, f"{label} band {a}-{b} has the wrong cell shape")
                if not (dom[0] <= int(a) <= int(b) <= dom[1]):
                    fail(name, k, f"{label} band {a}-{b} is empty or outside {dom[0]}-{dom[1]}")
    for ric in RICS:
        n = sum(1 for r in rows if r[c["ric"]] == ric)
        if n != rows_per_ric[ric]:
            fail(name, None, f"RIC {ric} has {n} rows, expected {rows_per_ric[ric]}")
    check_exactly_one_match(name, rows, c, motor_domain, has_cog)


def segments(bounds, domain):
    """Representatives of the elementary intervals that the bands cut the
    domain into: every value of the domain behaves like one of them."""
    cuts = {domain[0], domain[1] + 1}
    for lo, hi in bounds:
        cuts.add(lo)
        cuts.add(hi + 1)
    cuts = sorted(x for x in cuts if domain[0] <= x <= domain[1] + 1)
    return cuts[:-1]


def check_exactly_one_match(name, rows, c, motor_domain, has_cog):
    """Every RIC, motor value, cognitive score and age of the domain matches
    exactly one row: checked on every elementary interval of each RIC."""
    for ric in RICS:
        band = []
        for k, r in enumerate(rows, 1):
            if r[c["ric"]] != ric:
                continue
            cog = (num(r[c["cl"]]), num(r[c["ch"]])) if has_cog else (None, None)
            band.append((k, (int(r[c["ml"]]), int(r[c["mh"]])), cog, (num(r[c["al"]]), num(r[c["ah"]]))))
        ms = segments([b[1] for b in band], motor_domain)
        cs = segments([b[2] for b in band if b[2][0] is not None], COG) if has_cog else [COG[0]]
        ags = segments([b[3] for b in band if b[3][0] is not None], AGE)
        for m in ms:
            for cg in cs:
                for a in ags:
                    hits = [k for k, mot, cog, age in band
                            if mot[0] <= m <= mot[1]
                            and (cog[0] is None or cog[0] <= cg <= cog[1])
                            and (age[0] is None or age[0] <= a <= age[1])]
                    if len(hits) != 1:
                        what = f"RIC {ric}, motor {m}" + (f", cognitive {cg}" if has_cog else "") + f", age {a}"
                        fail(name, hits[1] if hits else None,
                             f"{what} matches {len(hits)} rows {hits}, expected exactly one")


def by_code(rows):
    """Row numbers (from 1) ordered by the byte order of their codes; codes
    are unique, so a search of this order finds the row a scan would."""
    return [k for _, k in sorted((r["code"].encode(), k) for k, r in enumerate(rows, 1))]


def first_rows(name, rows, ric_key):
    """First decision row of each RIC, indexed by the RIC's number (entry 0
    unused).  Each RIC is one consecutive run (checked above), so a search
    that starts there and stops when the RIC changes sees every row a scan
    from row 1 could match."""
    first = [0] * 22
    for k, r in enumerate(rows, 1):
        n = int(r[ric_key])
        if not first[n]:
            first[n] = k
    return "const unsigned char %s[22] = {%s};" % (name, ", ".join(map(str, first)))


def cells(rows, key, row0, blank=" "):
    return [row0] + [blank if r[key] == "-" else r[key] for r in rows]


def generate(data_dir, out_cpp):
    imp = read_tsv(f"{data_dir}/impairment_groups.tsv")
    i39 = read_tsv(f"{data_dir}/cmg_item39.tsv")
    gg = read_tsv(f"{data_dir}/cmg_section_gg.tsv")
    check_impairment_groups(imp)
    check_decision("cmg_item39 (CMG/RicCode/...)", i39, 87, I39_ROWS_PER_RIC, I39_MOTOR, True, 3)
    check_decision("cmg_section_gg (CMG40/RicCode40/...)", gg, 95, GG_ROWS_PER_RIC, GG_MOTOR, False, 4)

    parts = [
        "// Generated by tables/gen_tables.py from tables/data/*.tsv. Do not edit.",
        '#include "impairment_groups.h"',
        '#include "cmg_decision.h"',
        "",
        "namespace kestrava {",
        "",
        cell_array("Imp240", 10, cells(imp, "code", "  ")),
        cell_array("Ric240", 3, cells(imp, "ric", "  ")),
        "// Rows of Imp240 in byte order of their codes, for a binary search.",
        "const unsigned char ImpByCode[%d] = {" % len(imp),
        "    " + ", ".join(str(k) for k in by_code(imp)) + ",",
        "};",
        "",
        cell_array("CMG", 5, cells(i39, "CMG", "    ")),
        cell_array("RicCode", 3, cells(i39, "RicCode", "  ")),
        cell_array("MotLow", 4, cells(i39, "MotLow", "   ")),
        cell_array("MotHigh", 4, cells(i39, "MotHigh", "   ")),
        cell_array("CogLow", 3, cells(i39, "CogLow", " ")),
        cell_array("CogHigh", 3, cells(i39, "CogHigh", " ")),
        cell_array("AgeLow", 4, cells(i39, "AgeLow", " ")),
        cell_array("AgeHigh", 4, cells(i39, "AgeHigh", " ")),
        "",
        first_rows("CmgFirstRow", i39, "RicCode"),
        "",
        cell_array("CMG40", 5, cells(gg, "CMG40", "    ")),
        cell_array("RicCode40", 3, cells(gg, "RicCode40", "  ")),
        cell_array("MotLow40", 4, cells(gg, "MotLow40", "   ")),
        cell_array("MotHigh40", 5, cells(gg, "MotHigh40", "    ")),
        cell_array("AgeLow40", 4, cells(gg, "AgeLow40", " ")),
        cell_array("AgeHigh40", 4, cells(gg, "AgeHigh40", " ")),
        first_rows("CmgFirstRow40", gg, "RicCode40"),
        "",
        "}  // namespace kestrava",
        "",
    ]
    write_if_changed(out_cpp, "\n".join(parts))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main_guard(lambda: generate(sys.argv[1], sys.argv[2]))
