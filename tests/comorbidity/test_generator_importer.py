"""The comorbidity list generator and the payer-list import tool.

Complete lists are synthesised here: the bundled rows plus made-up tier-D
codes ("Y.." in ICD-10-CM, "V9x.xx" in ICD-9-CM, which no list holds) in the
numbers the payer's lists have.  They exist only inside the tests."""
import csv
import glob
import io
import os
import re
import shutil
import sys
import tempfile
import unittest
from contextlib import redirect_stderr, redirect_stdout

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(TOP, "tables"))
sys.path.insert(0, os.path.join(TOP, "tools"))
import gen_comorbidity as gen  # noqa: E402
import import_tier_list as importer  # noqa: E402
from tablegen import TableError  # noqa: E402

DATA = os.path.join(TOP, "tables", "data", "comorbidity")
BASE = {"icd9": "240", "icd10": "281s1"}


def fake_code(fam, i):
    return f"V{90 + i // 100}.{i % 100:02d}" if fam == "icd9" else f"Y{i // 100:02d}.{i % 100:02d}^^"


def write_list(path, rows):
    with open(path, "w", encoding="utf-8") as f:
        f.write("tier\tcode\tric\n")
        for r in rows:
            f.write(f"{r['tier']}\t{r['code']}\t\"{r['ric']}\"\n")


class DataDir:
    """A scratch copy of the shipped data, optionally with a complete
    synthetic base list of each family."""

    def __init__(self, complete=False):
        self.dir = tempfile.mkdtemp()
        for f in glob.glob(os.path.join(DATA, "*.tsv")):
            shutil.copy(f, self.dir)
        self.base_rows = {}
        if complete:
            for fam, name in BASE.items():
                self.base_rows[fam] = self.complete_base(fam, name)

    def complete_base(self, fam, name):
        # The shipped data derives the bundled rows of the base list whatever
        # list of the family it holds.
        _, single, _ = gen.generate(DATA)
        rows = list(single[name])
        i = 0
        for ric, want in gen.EXPECTED_RICS[name].items():
            for _ in range(want - sum(1 for r in rows if r["ric"] == ric)):
                rows.append(dict(tier="D", code=fake_code(fam, i), ric=ric))
                i += 1
        rows.sort(key=gen.sort_key)
        self.replace_list(fam, name, rows)
        return rows

    def replace_list(self, fam, name, rows):
        for old in glob.glob(os.path.join(self.dir, f"single_{fam}.*.tsv")):
            os.remove(old)
        write_list(os.path.join(self.dir, f"single_{fam}.{name}.tsv"), rows)

    def generate(self):
        return gen.generate(self.dir)

    def cleanup(self):
        shutil.rmtree(self.dir)


class ShippedData(unittest.TestCase):
    def test_builds_with_every_single_code_list_incomplete_but_consistent(self):
        text, single, complete = gen.generate(DATA)
        for name, rows in single.items():
            expected = gen.EXPECTED[name]
            self.assertEqual(complete[name], len(rows) == expected[0], name)
            self.assertLessEqual(len(rows), expected[0], name)
            self.assertEqual(sum(r["tier"] == "B" for r in rows), expected[1], name)
            self.assertEqual(sum(r["tier"] == "C" for r in rows), expected[2], name)
            self.assertIn(f"{len(rows)}, {expected[0]}, ", text)
        self.assertIn("const char CmdEflag290s2[49][3]", text)


class CompleteLists(unittest.TestCase):
    def setUp(self):
        self.data = DataDir(complete=True)

    def tearDown(self):
        self.data.cleanup()

    def test_complete_base_lists_make_every_list_complete(self):
        _, single, complete = self.data.generate()
        for name in gen.EXPECTED:
            self.assertTrue(complete[name], name)
            self.assertEqual(len(single[name]), gen.EXPECTED[name][0], name)

    def assert_fails(self, *fragments):
        with self.assertRaises(TableError) as cm:
            self.data.generate()
        for fragment in fragments:
            self.assertIn(fragment, str(cm.exception))
        return str(cm.exception)

    def edit_base(self, fam, edit):
        rows = [dict(r) for r in self.data.base_rows[fam]]
        edit(rows)
        self.data.replace_list(fam, BASE[fam], rows)

    def test_wrong_exclusion_list_count_fails(self):
        def edit(rows):
            fake = next(r for r in rows if r["code"].startswith("Y") and r["ric"] == " ")
            fake["ric"] = "15"
        self.edit_base("icd10", edit)
        self.assert_fails("281s1", "exclusion list ' '", "expected 485")

    def test_wrong_tier_count_fails(self):
        def edit(rows):
            fake = next(r for r in rows if r["code"].startswith("V9"))
            fake["tier"] = "C"
            rows.sort(key=gen.sort_key)
        self.edit_base("icd9", edit)
        self.assert_fails("240", "12 tier C rows, expected 11")

    def test_too_many_rows_fail(self):
        self.edit_base("icd10", lambda rows: rows.append(dict(tier="D", code="Y99.99^^", ric=" ")))
        self.assert_fails("281s1", "more than the 1002")

    def test_duplicate_and_order_fail_naming_the_row(self):
        def duplicate(rows):
            rows[40] = dict(rows[41])
        self.edit_base("icd10", duplicate)
        self.assert_fails("281s1 (single_icd10.281s1.tsv) row 42", "occurs twice")

        def swap(rows):
            rows[30], rows[31] = rows[31], rows[30]
        self.edit_base("icd10", swap)
        self.assert_fails("281s1 (single_icd10.281s1.tsv) row 32", "is not after")

    def test_row_that_a_later_version_adds_must_not_be_in_the_base(self):
        def edit(rows):
            fake = next(r for r in rows if r["code"].startswith("Y") and r["ric"] == " ")
            fake["code"] = "U07.1^^^"
            rows.sort(key=gen.sort_key)
        self.edit_base("icd10", edit)
        self.assert_fails("401s1 derived from 400s1", "'U07.1^^^' joins the list but is already in 400s1")

    def test_removed_row_with_other_exclusion_list_fails(self):
        def edit(rows):
            row = next(r for r in rows if r["code"] == "J98.5^^^")
            row["ric"] = " "
            fake = next(r for r in rows if r["code"].startswith("Y") and r["ric"] == " ")
            fake["ric"] = "15"
        self.edit_base("icd10", edit)
        self.assert_fails("290s1 derived from 281s1", "J98.5^^^", "the change says D and '15'")

    def test_changes_that_disagree_with_the_counts_fail(self):
        path = os.path.join(self.data.dir, "changes_icd10.tsv")
        with open(path) as f:
            text = f.read()
        with open(path, "w") as f:
            f.write(text.replace('400s1>401s1\tadded\tD\tU07.1^^^\t" "', '400s1>401s1\tadded\tD\tU07.1^^^\t"15"'))
        self.assert_fails("changes 400s1 to 401s1", "exclusion list")

    def test_shared_code_between_single_and_pair_lists_fails(self):
        def edit(rows):
            fake = next(r for r in rows if r["code"].startswith("Y") and r["ric"] == " ")
            fake["code"] = "E11.65^^"
            rows.sort(key=gen.sort_key)
        self.edit_base("icd10", edit)
        self.assert_fails("281c row 25", "'E11.65^^' is also row", "shares no code with its combination list")


def snapshot(directory):
    out = {}
    for name in os.listdir(directory):
        with open(os.path.join(directory, name), encoding="utf-8") as f:
            out[name] = f.read()
    return out


def payer_csv(rows, icd10, delimiter=","):
    """A list as a payer publishes it: codes without fill (and, for half the
    rows, without the point), tiers 1..3, RICs as words, a label column."""
    out = io.StringIO()
    w = csv.writer(out, delimiter=delimiter, lineterminator="\n")
    w.writerow(["Diagnosis Code", "Description", "Tier", "Excluded RICs"])
    for k, r in enumerate(rows):
        code = r["code"].rstrip("^")
        if k % 2:
            code = code.replace(".", "")
        if k % 3 == 0:
            code = code.lower()
        rics = "" if r["ric"] == " " else "RIC " + "; ".join(str(int(x)) for x in re.findall("[0-9]+", r["ric"]))
        w.writerow([code, f"label, {k}", {"B": "1", "C": "Tier 2", "D": "3"}[r["tier"]], rics])
    return out.getvalue()


class Importer(unittest.TestCase):
    def setUp(self):
        self.complete = DataDir(complete=True)
        _, self.truth, _ = self.complete.generate()
        self.target = DataDir()

    def tearDown(self):
        self.complete.cleanup()
        self.target.cleanup()

    def run_import(self, text, version, suffix=".csv"):
        with tempfile.TemporaryDirectory() as scratch:
            path = os.path.join(scratch, "payer_list" + suffix)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            out, err = io.StringIO(), io.StringIO()
            with redirect_stdout(out), redirect_stderr(err):
                code = importer.main([path, "--version", version, "--data-dir", self.target.dir])
            return code, out.getvalue(), err.getvalue()

    def test_newest_icd10_list_determines_the_whole_family(self):
        code, out, err = self.run_import(payer_csv(self.truth["401s1"], True), "4.01")
        self.assertEqual(code, 0, err)
        self.assertIn("401s1   1168 of  1168 rows  complete", out)
        self.assertEqual(sorted(os.listdir(self.target.dir)).count("single_icd10.401s1.tsv"), 1)
        self.assertFalse(os.path.exists(os.path.join(self.target.dir, "single_icd10.281s1.tsv")))
        _, single, complete = self.target.generate()
        for name in gen.FAMILIES["icd10"]["lists"]:
            self.assertTrue(complete[name], name)
            self.assertEqual(single[name], self.truth[name], name)

    def test_icd9_list_as_tab_separated_text(self):
        code, _, err = self.run_import(payer_csv(self.truth["260"], False, "\t"), "2.70", ".txt")
        self.assertEqual(code, 0, err)
        _, single, complete = self.target.generate()
        for name in gen.FAMILIES["icd9"]["lists"]:
            self.assertTrue(complete[name], name)
            self.assertEqual(single[name], self.truth[name], name)

    def test_broken_list_is_refused_and_nothing_written(self):
        before = snapshot(self.target.dir)
        rows = [dict(r) for r in self.truth["401s1"]]
        rows[-1]["tier"] = "C"  # one tier-C row too many
        code, _, err = self.run_import(payer_csv(rows, True), "401s1")
        self.assertEqual(code, 1)
        self.assertIn("tier C rows, expected", err)
        self.assertIn("nothing written", err)
        self.assertEqual(before, snapshot(self.target.dir))

    def test_bad_cells_are_reported_with_their_row(self):
        header = "Code,Tier,RIC exclusions\n"
        cases = [
            (header + "J38.01,4,15\n", "row 2: tier '4' is not 1, 2 or 3"),
            (header + "J38.01,1,15\nJ3801,1,15\n", "row 3: code J38.01^^ is also on row 2"),
            (header + "J38.01,1,22\n", "name 22, which is no RIC"),
            (header + "38.01,1,15\n", "'38.01' is not an ICD-10-CM code"),
            ("Name,Tier,RIC\nJ38.01,1,15\n", "no code column"),
        ]
        for text, message in cases:
            code, _, err = self.run_import(text, "4.01")
            self.assertEqual(code, 1, text)
            self.assertIn(message, err)
        code, _, err = self.run_import(header, "5.00")
        self.assertIn("unknown rule version", err)

    def test_code_forms(self):
        cases = [("J3801", True, "J38.01^^"), ("g02", True, "G02.^^^^"), ("T80.0XXA", True, "T80.0XXA"),
                 ("Z99.2", True, "Z99.2^^^"), ("47831", False, "478.31"), ("430", False, "430."),
                 ("V440", False, "V44.0"), ("e8497", False, "E849.7"), ("787.2", False, "787.2")]
        for text, icd10, stored in cases:
            self.assertEqual(importer.normalise_code(text, icd10), stored)
        self.assertEqual(importer.normalise_rics("RIC 3, RIC 5", True), "03, 05")
        self.assertEqual(importer.normalise_rics("9;10;11", False), "09,10,11")
        self.assertEqual(importer.normalise_rics("", True), " ")


if __name__ == "__main__":
    unittest.main()
