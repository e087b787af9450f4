#!/usr/bin/env python3
"""Generates the comorbidity tier lists of every rule version from
tables/data/comorbidity/, checking every invariant and count.

usage: gen_comorbidity.py DATA_DIR OUT_CPP

Each single-code family (ICD-9-CM: 240, 250, 260; ICD-10-CM: 281s1 .. 401s1)
is one list file, `single_<family>.<list>.tsv`, for any one list of the family,
plus the version-to-version changes `changes_<family>.tsv`.  Every other list
of the family is derived from those, forward and backward, and re-sorted by
tier and code.  A list with fewer rows than the payer's list is built and
marked incomplete; a complete one must meet every count exactly.

A broken row stops the build with a message naming the list, the row and the
rule it breaks."""
import glob
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from tablegen import TableError, cell_array, fail, main_guard, read_tsv, write_if_changed  # noqa: E402

RICS = {f"{i:02d}" for i in range(1, 22)}
TIER_ORDER = {"B": 0, "C": 1, "D": 2}

# Data rows, tier counts and exclusion-list counts of the payer's lists.
EXPECTED = {
    "240": (946, 8, 11, 927),
    "250": (951, 8, 11, 932),
    "260": (967, 8, 11, 948),
    "281s1": (1002, 6, 17, 979),
    "290s1": (1156, 6, 17, 1133),
    "300s1": (1157, 6, 18, 1133),
    "310s1": (1165, 6, 18, 1141),
    "400s1": (1167, 6, 18, 1143),
    "401s1": (1168, 6, 18, 1144),
}
_RIC9 = [" ", "15", "03", "03,05", "14", "01", "09", "05", "06", "03,09", "09,10,11", "02,03",
         "01,02,03", "10,11", "01,03", "10", "08"]
_RIC9_COUNTS = {
    "240": [433, 202, 64, 63, 43, 39, 38, 22, 10, 7, 7, 5, 4, 4, 2, 2, 1],
    "250": [434, 206, 64, 63, 43, 39, 38, 22, 10, 7, 7, 5, 4, 4, 2, 2, 1],
    "260": [441, 215, 64, 63, 43, 39, 38, 22, 10, 7, 7, 5, 4, 4, 2, 2, 1],
}
_RIC10 = [" ", "15", "01", "03", "14", "03, 05", "01, 02, 03", "01, 02, 03 ", "06", "09", "10, 11",
          "10", "05", "02, 03", "08", "09, 10, 11", "01, 03", "03, 09"]
_RIC10_COUNTS = {
    "281s1": [485, 132, 114, 47, 40, 35, 34, 0, 26, 24, 22, 12, 8, 8, 6, 6, 2, 1],
    "290s1": [622, 133, 132, 47, 40, 35, 22, 10, 26, 24, 22, 12, 8, 8, 6, 6, 2, 1],
    "300s1": [623, 133, 132, 47, 40, 35, 22, 10, 26, 24, 22, 12, 8, 8, 6, 6, 2, 1],
    "310s1": [630, 133, 133, 47, 40, 35, 22, 10, 26, 24, 22, 12, 8, 8, 6, 6, 2, 1],
    "400s1": [630, 135, 133, 47, 40, 35, 22, 10, 26, 24, 22, 12, 8, 8, 6, 6, 2, 1],
    "401s1": [631, 135, 133, 47, 40, 35, 22, 10, 26, 24, 22, 12, 8, 8, 6, 6, 2, 1],
}
EXPECTED_RICS = {name: dict(zip(_RIC9, c)) for name, c in _RIC9_COUNTS.items()}
EXPECTED_RICS.update({name: dict(zip(_RIC10, c)) for name, c in _RIC10_COUNTS.items()})

FAMILIES = {
    "icd9": dict(lists=["240", "250", "260"], icd10=False),
    "icd10": dict(lists=["281s1", "290s1", "300s1", "310s1", "400s1", "401s1"], icd10=True),
}
# Rows removed, added and changed by each step.
STEP_TOTALS = {
    ("240", "250"): (2, 7, 0), ("250", "260"): (3, 19, 0),
    ("281s1", "290s1"): (45, 199, 10), ("290s1", "300s1"): (1, 2, 0), ("300s1", "310s1"): (3, 11, 0),
    ("310s1", "400s1"): (0, 2, 0), ("400s1", "401s1"): (0, 1, 0),
}
# Array widths: tier, code, exclusion list.
WIDTHS = {"240": (8, 8, 20), "250": (2, 8, 20), "260": (2, 8, 20)}
WIDTHS.update({n: (3, 9, 21) for n in FAMILIES["icd10"]["lists"]})
# Row 0 of the exclusion column: two blanks in the single-code lists of 2.90 on.
ROW0_RIC = {n: "  " if n in ("290s1", "300s1", "310s1", "400s1", "401s1") else " " for n in WIDTHS}

COMBINATION = {"281c": ("combination_281c.tsv", 63), "290c": ("combination_281c.tsv", 63),
               "300c": ("combination_300c.tsv", 87)}
ETIOLOGY = {"281s2": ("etiology_281s2.tsv", 48), "290s2": ("etiology_281s2.tsv", 48)}

# The table set of each rule version: single-code, combination and etiology
# lists, and whether the patient codes end at the end code ("^") or are the
# first ten entries whatever they hold.
RULE_VERSIONS = [
    ("2.40", "240", None, None, False), ("2.50", "250", None, None, False),
    ("2.60", "260", None, None, False), ("2.70", "260", None, None, True),
    ("2.82", "281s1", "281c", "281s2", True), ("2.90", "290s1", "290c", "290s2", True),
    ("3.00", "300s1", "300c", "290s2", True), ("3.10", "310s1", "300c", "290s2", True),
    ("4.00", "400s1", "300c", "290s2", True), ("4.01", "401s1", "300c", "290s2", True),
]

ICD9_CODE = re.compile(r"(?:[0-9]{3}|V[0-9]{2}|E[0-9]{3})\.[0-9]{0,2}")
ICD10_CODE = re.compile(r"[A-Z][0-9][0-9A-Z]\.[0-9A-Z]{0,4}\^*")
RIC9 = re.compile(r"[0-9]{2}(?:,[0-9]{2})*")
RIC10 = re.compile(r"[0-9]{2}(?:, [0-9]{2})*( ?)")


def family_of(name):
    for fam, spec in FAMILIES.items():
        if name in spec["lists"]:
            return fam
    raise TableError(f"unknown single-code list {name!r}")


def unquote(where, row, column, cell):
    if len(cell) < 2 or cell[0] != '"' or cell[-1] != '"':
        fail(where, row, f"{column} {cell!r} must be written between double quotes")
    return cell[1:-1]


def check_code(where, row, code, icd10):
    if icd10:
        if len(code) != 8 or not ICD10_CODE.fullmatch(code):
            fail(where, row, f"code {code!r} is not an ICD-10-CM code with its point after the third "
                             "character, filled with ^ to eight characters")
    elif not (4 <= len(code) <= 6 and ICD9_CODE.fullmatch(code)):
        fail(where, row, f"code {code!r} is not an ICD-9-CM code of 4 to 6 characters with its point")


def check_ric(where, row, ric, icd10, trailing_blank_allowed):
    if ric == " ":
        return
    if len(ric) > 11:
        fail(where, row, f"exclusion list {ric!r} is longer than 11 characters")
    m = (RIC10 if icd10 else RIC9).fullmatch(ric)
    if not m:
        shape = "two-digit RICs separated by ', '" if icd10 else "two-digit RICs separated by ','"
        fail(where, row, f"exclusion list {ric!r} is neither a single blank nor {shape}")
    if icd10 and m.group(1) and not trailing_blank_allowed:
        fail(where, row, f"exclusion list {ric!r} ends in a blank, which only single-code lists may")
    for piece in re.findall(r"[0-9]{2}", ric):
        if piece not in RICS:
            fail(where, row, f"exclusion list {ric!r} names {piece}, which is no RIC 01..21")


def sort_key(r):
    return (TIER_ORDER[r["tier"]], r["code"].encode())


# ---------------------------------------------------------------- single-code lists

def read_single(path, name):
    icd10 = FAMILIES[family_of(name)]["icd10"]
    rows = []
    for k, r in enumerate(read_tsv(path), 1):
        where = f"{name} ({os.path.basename(path)} line {r['_line']})"
        tier, code = r["tier"], r["code"]
        ric = unquote(where, k, "exclusion list", r["ric"])
        if tier not in TIER_ORDER:
            fail(where, k, f"tier {tier!r} is not B, C or D")
        check_code(where, k, code, icd10)
        check_ric(where, k, ric, icd10, True)
        rows.append(dict(tier=tier, code=code, ric=ric))
    return rows


def read_changes(path, fam):
    lists = FAMILIES[fam]["lists"]
    steps = {(a, b): [] for a, b in zip(lists, lists[1:])}
    icd10 = FAMILIES[fam]["icd10"]
    for r in read_tsv(path):
        where = f"{os.path.basename(path)} line {r['_line']}"
        step = tuple(r["step"].split(">"))
        if step not in steps:
            fail(where, None, f"step {r['step']!r} is not two consecutive lists of the family ({', '.join(lists)})")
        if r["change"] not in ("removed", "added", "changed"):
            fail(where, None, f"change {r['change']!r} is not removed, added or changed")
        if r["tier"] not in TIER_ORDER:
            fail(where, None, f"tier {r['tier']!r} is not B, C or D")
        check_code(where, None, r["code"], icd10)
        ric = unquote(where, None, "exclusion list", r["ric"])
        check_ric(where, None, ric, icd10, True)
        was = None
        if r["change"] == "changed":
            was = unquote(where, None, "earlier exclusion list", r["was_ric"])
            check_ric(where, None, was, icd10, True)
        elif r["was_ric"] != "-":
            fail(where, None, "only a changed row has an earlier exclusion list")
        steps[step].append(dict(change=r["change"], tier=r["tier"], code=r["code"], ric=ric, was=was,
                                where=where))
    for step, changes in steps.items():
        got = tuple(sum(1 for c in changes if c["change"] == kind) for kind in ("removed", "added", "changed"))
        if got != STEP_TOTALS[step]:
            fail(f"changes {step[0]} to {step[1]}", None,
                 "expected %d removed, %d added, %d changed rows; the data has %d, %d, %d"
                 % (STEP_TOTALS[step] + got))
        codes = [c["code"] for c in changes]
        dup = {c for c in codes if codes.count(c) > 1}
        if dup:
            fail(f"changes {step[0]} to {step[1]}", None, f"code {sorted(dup)[0]!r} is named twice")
    return steps


def apply_step(name_from, name_to, rows, changes, forward):
    """The list name_to from the list name_from by one step of changes,
    applied forward (earlier to later) or backward (later to earlier)."""
    by_code = {r["code"]: r for r in rows}
    where = f"{name_to} derived from {name_from}"
    for c in changes:
        kind = c["change"]
        if kind == "changed":
            have, want = (c["was"], c["ric"]) if forward else (c["ric"], c["was"])
            r = by_code.get(c["code"])
            if r is None or r["tier"] != c["tier"] or r["ric"] != have:
                fail(where, None, f"{c['where']}: changed row {c['code']!r} should be in {name_from} "
                                  f"with tier {c['tier']} and exclusion list {have!r}")
            by_code[c["code"]] = dict(r, ric=want)
            continue
        leaves = (kind == "removed") == forward
        if leaves:
            r = by_code.get(c["code"])
            if r is None:
                fail(where, None, f"{c['where']}: row {c['code']!r} leaves the list but is not in {name_from}")
            if r["tier"] != c["tier"] or r["ric"] != c["ric"]:
                fail(where, None, f"{c['where']}: row {c['code']!r} is in {name_from} with tier {r['tier']} "
                                  f"and exclusion list {r['ric']!r}, the change says {c['tier']} and {c['ric']!r}")
            del by_code[c["code"]]
    for c in changes:
        if c["change"] != "changed" and (c["change"] == "added") == forward:
            if c["code"] in by_code:
                fail(where, None, f"{c['where']}: row {c['code']!r} joins the list but is already in {name_from}")
            by_code[c["code"]] = dict(tier=c["tier"], code=c["code"], ric=c["ric"])
    return sorted(by_code.values(), key=sort_key)


def check_counts_consistent(fam, steps):
    """The published counts of consecutive lists must differ by exactly what
    the changes of the step add and remove, tier by tier and exclusion list by
    exclusion list."""
    for (a, b), changes in steps.items():
        delta_rows = sum(1 if c["change"] == "added" else -1 for c in changes if c["change"] != "changed")
        if EXPECTED[b][0] - EXPECTED[a][0] != delta_rows:
            fail(f"changes {a} to {b}", None, f"they change the row count by {delta_rows}, "
                                              f"the lists have {EXPECTED[a][0]} and {EXPECTED[b][0]} rows")
        for i, tier in enumerate("BCD", 1):
            d = sum((1 if c["change"] == "added" else -1) for c in changes
                    if c["change"] != "changed" and c["tier"] == tier)
            if EXPECTED[b][i] - EXPECTED[a][i] != d:
                fail(f"changes {a} to {b}", None, f"they change the tier {tier} count by {d}, "
                                                  f"the lists have {EXPECTED[a][i]} and {EXPECTED[b][i]}")
        for ric in EXPECTED_RICS[a]:
            d = 0
            for c in changes:
                if c["change"] == "changed":
                    d += (c["ric"] == ric) - (c["was"] == ric)
                elif c["ric"] == ric:
                    d += 1 if c["change"] == "added" else -1
            if EXPECTED_RICS[b][ric] - EXPECTED_RICS[a][ric] != d:
                fail(f"changes {a} to {b}", None, f"they change the count of exclusion list {ric!r} by {d}, "
                                                  f"the lists have {EXPECTED_RICS[a][ric]} and {EXPECTED_RICS[b][ric]}")


def check_order(name, rows, where=None):
    """Tier order, byte order within a tier, unique codes; errors name
    `where` (the list, or the file it was read from)."""
    where = where or name
    for k, r in enumerate(rows, 1):
        if k > 1:
            p = rows[k - 2]
            if TIER_ORDER[r["tier"]] < TIER_ORDER[p["tier"]]:
                fail(where, k, f"tier {r['tier']} row {r['code']!r} follows tier {p['tier']}: rows are ordered B, C, D")
            if r["tier"] == p["tier"] and r["code"].encode() <= p["code"].encode():
                rule = "occurs twice" if r["code"] == p["code"] else "is not after %r in byte order" % p["code"]
                fail(where, k, f"code {r['code']!r} {rule} within tier {r['tier']}")
        if r["ric"] not in EXPECTED_RICS[name]:
            fail(where, k, f"exclusion list {r['ric']!r} is not one of the lists this list uses")
    seen = {}
    for k, r in enumerate(rows, 1):
        if r["code"] in seen:
            fail(where, k, f"code {r['code']!r} occurs twice (also row {seen[r['code']]})")
        seen[r["code"]] = k


def check_single(name, rows):
    """Order, uniqueness and counts.  Returns True when the list is complete."""
    expected_rows, *expected_tiers = EXPECTED[name]
    check_order(name, rows)
    complete = len(rows) == expected_rows
    if len(rows) > expected_rows:
        fail(name, None, f"{len(rows)} rows, more than the {expected_rows} of the payer's list")
    for tier, want in zip("BCD", expected_tiers):
        n = sum(1 for r in rows if r["tier"] == tier)
        # B and C rows are given in full; D rows may be missing from an incomplete list.
        exact = complete or tier != "D"
        if (n != want) if exact else (n > want):
            fail(name, None, f"{n} tier {tier} rows, expected {want}")
    for ric, want in EXPECTED_RICS[name].items():
        n = sum(1 for r in rows if r["ric"] == ric)
        if (n != want) if complete else (n > want):
            fail(name, None, f"{n} rows with exclusion list {ric!r}, expected {want}")
    return complete


def build_family(data_dir, fam):
    lists = FAMILIES[fam]["lists"]
    anchors = sorted(glob.glob(os.path.join(data_dir, f"single_{fam}.*.tsv")))
    if len(anchors) != 1:
        fail(f"single-code lists {fam}", None,
             f"expected exactly one file single_{fam}.<list>.tsv in {data_dir}, found {len(anchors)}")
    anchor = os.path.basename(anchors[0])[len(f"single_{fam}."):-len(".tsv")]
    if anchor not in lists:
        fail(os.path.basename(anchors[0]), None, f"{anchor!r} is not a list of the family ({', '.join(lists)})")
    steps = read_changes(os.path.join(data_dir, f"changes_{fam}.tsv"), fam)
    check_counts_consistent(fam, steps)
    built = {anchor: read_single(anchors[0], anchor)}
    check_order(anchor, built[anchor], f"{anchor} ({os.path.basename(anchors[0])})")
    i = lists.index(anchor)
    for a, b in zip(lists[i:], lists[i + 1:]):
        built[b] = apply_step(a, b, built[a], steps[(a, b)], True)
    for a, b in reversed(list(zip(lists[:i], lists[1:i + 1]))):
        built[a] = apply_step(b, a, built[b], steps[(a, b)], False)
    complete = {name: check_single(name, built[name]) for name in lists}
    return built, complete


# ---------------------------------------------------------------- combination and etiology lists

def read_combination(data_dir, name):
    fname, expected = COMBINATION[name]
    rows = []
    for k, r in enumerate(read_tsv(os.path.join(data_dir, fname)), 1):
        where = f"{name} ({fname})"
        if r["tier"] != "D":
            fail(where, k, f"tier {r['tier']!r}: every combination row has tier D")
        for col in ("code1", "code2"):
            check_code(where, k, r[col], True)
        if r["code1"] == r["code2"]:
            fail(where, k, f"both codes are {r['code1']!r}: a combination pairs two different codes")
        ric = unquote(where, k, "exclusion list", r["ric"])
        check_ric(where, k, ric, True, False)
        rows.append(dict(tier="D", code1=r["code1"], code2=r["code2"], ric=ric))
    if len(rows) != expected:
        fail(name, None, f"{len(rows)} rows, expected {expected}")
    pairs = [(r["code1"], r["code2"]) for r in rows]
    for k, p in enumerate(pairs, 1):
        if p in pairs[:k - 1] or (p[1], p[0]) in pairs[:k - 1]:
            fail(name, k, f"pair {p} occurs twice")
    return rows


def read_etiology(data_dir, name):
    fname, expected = ETIOLOGY[name]
    rows = []
    seen = set()
    for k, r in enumerate(read_tsv(os.path.join(data_dir, fname)), 1):
        where = f"{name} ({fname})"
        if r["tier"] != "D":
            fail(where, k, f"tier {r['tier']!r}: every etiology row has tier D")
        check_code(where, k, r["code"], True)
        if r["code"] in seen:
            fail(where, k, f"code {r['code']!r} occurs twice")
        seen.add(r["code"])
        ric = unquote(where, k, "exclusion list", r["ric"])
        check_ric(where, k, ric, True, False)
        rows.append(dict(tier="D", code=r["code"], ric=ric))
    if len(rows) != expected:
        fail(name, None, f"{len(rows)} rows, expected {expected}")
    return rows


def check_version_sets(single, combination, etiology):
    for version, s, c, e, _ in RULE_VERSIONS:
        if c is None:
            continue
        codes = {r["code"]: k for k, r in enumerate(single[s], 1)}
        for k, r in enumerate(combination[c], 1):
            for col in ("code1", "code2"):
                if r[col] in codes:
                    fail(c, k, f"code {r[col]!r} is also row {codes[r[col]]} of {s}: rule version {version}'s "
                               "single-code list shares no code with its combination list")
        for k, r in enumerate(etiology[e], 1):
            if r["code"] in codes:
                fail(e, k, f"code {r['code']!r} is also row {codes[r['code']]} of {s}: rule version {version}'s "
                           "single-code list shares no code with its etiology list")


# ---------------------------------------------------------------- index

MASK64 = (1 << 64) - 1


def code_key(code):
    """The code's bytes as a little-endian integer, as cmd_code_key computes it."""
    return int.from_bytes(code.encode("ascii").ljust(8, b"\0"), "little")


def multipliers():
    """Odd 64-bit multipliers from a fixed splitmix64 sequence."""
    x = 0x9E3779B97F4A7C15
    while True:
        x = (x + 0x9E3779B97F4A7C15) & MASK64
        z = x
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
        yield (z ^ (z >> 31)) | 1


def build_index(name, single, combination, etiology):
    """One open-addressing hash table per table set, from a code to its row in
    the single-code and etiology lists and its combination rows.  Sized at
    least three slots per code; the multiplier is the one of the first 64 that
    gives the fewest probes."""
    entries = {}

    def entry(code):
        return entries.setdefault(code, dict(single=0, etiology=0, first=0, second=0))

    for r, row in enumerate(single, 1):
        entry(row["code"])["single"] = r
    combo_codes = []
    if combination:
        for r, row in enumerate(combination, 1):
            for col, mask in (("code1", "first"), ("code2", "second")):
                e = entry(row[col])
                e[mask] |= 1 << (r - 1)
                if row[col] not in combo_codes:
                    combo_codes.append(row[col])
        for r, row in enumerate(etiology, 1):
            e = entry(row["code"])
            e["etiology"] = e["etiology"] or r
    bits = 4
    while (1 << bits) < 3 * len(entries):
        bits += 1
    size = 1 << bits
    keys = {code: code_key(code) for code in entries}
    if 0 in keys.values():
        fail(f"index {name}", None, "an empty code cannot be indexed")
    best = None
    for _, m in zip(range(64), multipliers()):
        table = [None] * size
        probes = 0
        for code in entries:
            i = ((keys[code] * m) & MASK64) >> (64 - bits)
            while table[i] is not None:
                i = (i + 1) & (size - 1)
                probes += 1
            table[i] = code
        if best is None or probes < best[0]:
            best = (probes, m, table)
    _, m, table = best
    combo_id = {code: k for k, code in enumerate(combo_codes, 1)}
    slots_keys = [keys[c] if c else 0 for c in table]
    slots_hits = [(entries[c]["single"], entries[c]["etiology"], combo_id.get(c, 0)) if c else (0, 0, 0)
                  for c in table]
    masks = [(0, 0, 0, 0)] + [(entries[c]["first"] & MASK64, entries[c]["first"] >> 64,
                               entries[c]["second"] & MASK64, entries[c]["second"] >> 64) for c in combo_codes]
    combo_etiology = [(0, 0)]
    if combination:
        etio_row = {}
        for r, row in enumerate(etiology, 1):
            etio_row.setdefault(row["code"], r)
        combo_etiology += [(etio_row.get(row["code1"], 0), etio_row.get(row["code2"], 0)) for row in combination]
    return dict(bits=bits, multiplier=m, keys=slots_keys, hits=slots_hits, masks=masks,
                combo_etiology=combo_etiology, has_combination=bool(combination))


def index_source(name, ix):
    out = [f"// Index of table set {name}: {sum(1 for k in ix['keys'] if k)} codes in {len(ix['keys'])} slots."]
    out.append(f"const std::uint64_t CmdIndexKeys{name}[{len(ix['keys'])}] = {{")
    for i in range(0, len(ix["keys"]), 4):
        out.append("    " + ", ".join(f"0x{k:016x}u" for k in ix["keys"][i:i + 4]) + ",")
    out.append("};")
    out.append(f"const CmdIndexHit CmdIndexHits{name}[{len(ix['hits'])}] = {{")
    for i in range(0, len(ix["hits"]), 6):
        out.append("    " + ", ".join(f"{{{a}, {b}, {c}}}" for a, b, c in ix["hits"][i:i + 6]) + ",")
    out.append("};")
    if ix["has_combination"]:
        out.append(f"const std::uint64_t CmdIndexPairs{name}[{len(ix['masks'])}][4] = {{")
        for m in ix["masks"]:
            out.append("    {" + ", ".join(f"0x{v:016x}u" for v in m) + "},")
        out.append("};")
        out.append(f"const std::uint8_t CmdIndexPairEtiology{name}[{len(ix['combo_etiology'])}][2] = {{")
        for i in range(0, len(ix["combo_etiology"]), 8):
            out.append("    " + ", ".join(f"{{{a}, {b}}}" for a, b in ix["combo_etiology"][i:i + 8]) + ",")
        out.append("};")
    pairs = f"CmdIndexPairs{name}, CmdIndexPairEtiology{name}" if ix["has_combination"] else "nullptr, nullptr"
    out.append(f"const CmdIndex kCmdIndex{name} = {{{ix['bits']}, 0x{ix['multiplier']:016x}u, CmdIndexKeys{name}, "
               f"CmdIndexHits{name}, {pairs}}};")
    out.append("")
    return out


# ---------------------------------------------------------------- output

def c_name(s):
    return s.replace(".", "")


def generate(data_dir):
    single, complete = {}, {}
    for fam in FAMILIES:
        b, c = build_family(data_dir, fam)
        single.update(b)
        complete.update(c)
    combination = {n: read_combination(data_dir, n) for n in COMBINATION}
    # 281c and 300c differ only in their "K56.60" rows (one code in 281c,
    # three subdivisions in 300c).
    for (a, b) in [((0, 41), (0, 41)), ((53, 63), (77, 87))]:
        for k, (r, s) in enumerate(zip(combination["281c"][a[0]:a[1]], combination["300c"][b[0]:b[1]])):
            if r != s:
                fail("281c", a[0] + k + 1, f"differs from row {b[0] + k + 1} of 300c, which it equals")
    etiology = {n: read_etiology(data_dir, n) for n in ETIOLOGY}
    check_version_sets(single, combination, etiology)

    out = ["// Generated by tables/gen_comorbidity.py from tables/data/comorbidity/; do not edit.",
           '#include "comorbidity_lists.h"', "", "#include <cstdint>", "", "namespace kestrava {", ""]
    for name, rows in single.items():
        tw, cw, rw = WIDTHS[name]
        icd10 = FAMILIES[family_of(name)]["icd10"]
        out.append(f"// {name}: {len(rows)} of {EXPECTED[name][0]} rows"
                   + ("" if complete[name] else " (incomplete)"))
        out.append(cell_array(f"CmdTier{name}", tw, [" "] + [r["tier"] for r in rows]))
        out.append(cell_array(f"CmdICD{name}", cw, [" " * 8 if icd10 else " "] + [r["code"] for r in rows]))
        out.append(cell_array(f"CmdRIC{name}", rw, [ROW0_RIC[name]] + [r["ric"] for r in rows]))
        out.append(f"const CmdSingleList kCmdList{name} = {{\"{name}\", &CmdTier{name}[0][0], {tw}, "
                   f"&CmdICD{name}[0][0], {cw}, &CmdRIC{name}[0][0], {rw}, {len(rows)}, "
                   f"{EXPECTED[name][0]}, {'true' if icd10 else 'false'}}};")
        out.append("")
    for name, rows in combination.items():
        out.append(f"// {name}: {len(rows)} rows")
        out.append(cell_array(f"CmdTier{name}", 3, [" "] + [r["tier"] for r in rows]))
        out.append(cell_array(f"CmdICD{name}1", 9, [" " * 8] + [r["code1"] for r in rows]))
        out.append(cell_array(f"CmdICD{name}2", 9, [" " * 8] + [r["code2"] for r in rows]))
        out.append(cell_array(f"CmdRIC{name}", 21, [" "] + [r["ric"] for r in rows]))
        out.append(f"const CmdCombinationList kCmdList{name} = {{\"{name}\", CmdTier{name}, CmdICD{name}1, "
                   f"CmdICD{name}2, CmdRIC{name}, {len(rows)}}};")
        out.append("")
    for name, rows in etiology.items():
        out.append(f"// {name}: {len(rows)} rows")
        out.append(cell_array(f"CmdTier{name}", 3, [" "] + [r["tier"] for r in rows]))
        out.append(cell_array(f"CmdICD{name}", 9, [" " * 8] + [r["code"] for r in rows]))
        out.append(cell_array(f"CmdRIC{name}", 21, [" "] + [r["ric"] for r in rows]))
        out.append(cell_array(f"CmdEflag{name}", 3, [" "] + ["0"] * len(rows)))
        out.append(f"const CmdEtiologyList kCmdList{name} = {{\"{name}\", CmdTier{name}, CmdICD{name}, "
                   f"CmdRIC{name}, CmdEflag{name}, {len(rows)}}};")
        out.append("")
    indexed = set()
    for _, s, c, e, _ in RULE_VERSIONS:
        if s not in indexed:
            indexed.add(s)
            out += index_source(s, build_index(s, single[s], combination.get(c), etiology.get(e)))
    out.append("const CmdTableSet kCmdTableSets[kCmdRuleVersions] = {")
    for version, s, c, e, end_code in RULE_VERSIONS:
        out.append(f"    {{\"{version}\", &kCmdList{s}, {'&kCmdList' + c if c else 'nullptr'}, "
                   f"{'&kCmdList' + e if e else 'nullptr'}, {'true' if end_code else 'false'}, &kCmdIndex{s}}},")
    out.append("};")
    out.append("")
    out.append("}  // namespace kestrava")
    return "\n".join(out) + "\n", single, complete


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    text, _, _ = generate(sys.argv[1])
    write_if_changed(sys.argv[2], text)


if __name__ == "__main__":
    main_guard(main)
