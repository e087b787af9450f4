#!/usr/bin/env python3
"""Writes the committed seed corpora of the fuzz targets from the project's own
synthetic assessments (samples/records.txt), so the fuzzers start from records
that pass validation and reach every stage.

  fuzz/corpus/record/  inputs of fuzz_record: both layouts (whole record, items)
  fuzz/corpus/xml/     inputs of fuzz_xml: XML documents of the same assessments

The item layout is read from grouper/record.cpp, the one place it is written.
Run it again after changing the samples; the output is deterministic."""
import os
import re
import sys

top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RECORD_LEN = 2786


def items():
    src = open(os.path.join(top, "grouper", "record.cpp")).read()
    table = re.findall(r'\{"(\w+)", (\d+), (\d+)\}', src)
    if len(table) != 66:
        sys.exit(f"make_seeds: found {len(table)} items in grouper/record.cpp, expected 66")
    return [(name, int(pos), int(width)) for name, pos, width in table]


def full_record(line):
    rec = line.rstrip("\n").ljust(RECORD_LEN - 2)
    return rec + "%\0"


def with_items(rec, values, table):
    pos = {name: p for name, p, _ in table}
    rec = list(rec)
    for name, value in values.items():
        p = pos[name] - 1
        rec[p:p + len(value)] = list(value)
    return "".join(rec)


def items_layout(rec, table):
    """Mode byte 1, then every item's field in table order (R21A 9 wide)."""
    out = "\x01"
    for name, p, width in table:
        if name == "R21A":
            width += 1
        out += rec[p - 1:p - 1 + width]
    return out.rstrip(" ")


def xml_doc(rec, table, declaration):
    parts = ['<?xml version="1.0" encoding="UTF-8"?>\n'] if declaration else []
    parts.append("<ASSESSMENT>\n")
    for name, p, width in table:
        value = rec[p - 1:p - 1 + width]
        if name == "R21A":
            # The group code proper sits at 722..728; the parser drops leading
            # blanks, so the two leading positions carry zeros.
            value = rec[p - 1:p + 8].replace(" ", "0", 2) if rec[p - 1:p + 1] == "  " else rec[p - 1:p + 8]
        if value.strip():
            parts.append(f"  <{name}>{value.rstrip()}</{name}>\n")
    parts.append("</ASSESSMENT>\n")
    return "".join(parts)


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data.encode("latin-1"))


def main():
    table = items()
    lines = open(os.path.join(top, "samples", "records.txt")).read().splitlines()
    records = [full_record(line) for line in lines]
    gg, item39 = records[0], records[3]
    # A few more comorbidity cases on the valid assessments: an excluded
    # combination pair (etiology rows flagged), an end code, ICD-9 codes under
    # 2.40, codes in the late items K..Y.
    records += [
        with_items(gg, {"R21A": "  06.1", "R24A": "E11.40^^", "R24B": "E11.65^^"}, table),
        with_items(gg, {"R21A": "  14.1", "R24A": "T80.0XXA", "R24B": "I26.90^^"}, table),
        with_items(gg, {"R24A": "^^^^^^^^", "R24B": "Z99.2^^^", "R24M": "R13.0^^^"}, table),
        with_items(gg, {"R12": "20170101", "R40": "20170510", "R24C": "B39.4^^^", "R24Y": "G02.^^^^"}, table),
        with_items(item39, {"R12": "20100801", "R40": "20100901", "R24A": "478.31", "R24J": "787.20"}, table),
    ]

    rec_dir = os.path.join(top, "fuzz", "corpus", "record")
    xml_dir = os.path.join(top, "fuzz", "corpus", "xml")
    for d in (rec_dir, xml_dir):
        if os.path.isdir(d):
            for f in os.listdir(d):
                os.remove(os.path.join(d, f))
    for i, rec in enumerate(records):
        write(rec_dir, f"items-{i:02d}", items_layout(rec, table))
        write(xml_dir, f"doc-{i:02d}.xml", xml_doc(rec, table, declaration=i % 2 == 0))
    for i in (0, 3, 5):
        write(rec_dir, f"whole-{i:02d}", "\x00" + records[i][:1615].rstrip(" "))
    # Documents the front end must refuse or read around.
    write(xml_dir, "broken-unclosed.xml", "<ASSESSMENT><R40>20200510</R40>")
    write(xml_dir, "broken-no-assessment.xml", "<?xml version=\"1.0\"?><OTHER><R40>20200510</R40></OTHER>")
    write(xml_dir, "odd-overlap.xml",
          "<!-- c --><ASSESSMENT a=\"1\"><ASMT_SYS_CD>IRF-PAI    3</ASMT_SYS_CD><R40>20200510</R40>"
          "<R40>2019</R40><R24A>  J38.01 </R24A><r40>1</r40><R21A><x/></R21A><R6/>"
          "<![CDATA[text]]></ASSESSMENT><ASSESSMENT/>")


if __name__ == "__main__":
    main()
