#!/usr/bin/env python3
"""Writes samples/records.txt: synthetic IRF-PAI records (no real patient)
that show every result code and both scoring schemes."""
import os

POS = {"ASMT_SYS_CD": 1, "TRANS_TYPE_CD": 11, "R6": 657, "R12": 688, "R21A": 720, "R40": 996,
       "R24A": 754, "R24B": 762, "H0350": 1614, "H0400": 1615}
ITEM39 = [882, 888, 894, 900, 906, 912, 918, 924, 930, 936, 948, 956, 962, 970, 978, 984, 990]
GG = [1462, 1468, 1474, 1480, 1486, 1492, 1498, 1510, 1516, 1522, 1528, 1534, 1548, 1554, 1560, 1572]


def record(birth="19491215", admit="20200101", discharge="20200510", group="01.2", system="IRF-PAI",
           trans="1", item39=None, gg=None, h=("2", "1"), codes=()):
    rec = [" "] * 1615

    def put(pos, text):
        rec[pos - 1:pos - 1 + len(text)] = list(text)

    put(POS["ASMT_SYS_CD"], system)
    put(POS["TRANS_TYPE_CD"], trans)
    put(POS["R6"], birth)
    put(POS["R12"], admit)
    put(POS["R40"], discharge)
    put(POS["R21A"] + 2, group)
    for pos, v in zip(ITEM39, item39 or []):
        put(pos, v)
    for pos, v in zip(GG, gg or []):
        put(pos, v)
    put(POS["H0350"], h[0])
    put(POS["H0400"], h[1])
    for pos, code in zip([754 + 8 * k for k in range(10)], codes):
        put(pos, code)
    return "".join(rec)


GG_ITEMS = ["04", "05", "03", "02", "04", "03", "02", "04", "04", "03", "03", "03", "02", "02", "88", "09"]
I39 = ["05", "04", "03", "04", "03", "03", "05", "06", "04", "03", "02", "01", "05", "04", "00", "03", "02"]
rows = [
    record(gg=GG_ITEMS),                                            # 0: Section GG, A0103
    record(gg=GG_ITEMS, codes=["Z99.2^^^"]),                        # 0: tier B
    record(gg=GG_ITEMS, group="04.110", codes=["E11.21^^", "E11.65^^"]),  # 0: combination tier D
    record(admit="20150101", discharge="20150510", group="04.110", item39=I39),  # 0: item-39 A0503
    record(admit="20150101", discharge="20150510", group="04.110", item39=I39, codes=["V44.0"]),
    record(system="IRF PAI"),                                       # 1
    record(trans="3"),                                              # 2
    record(admit="20100101", discharge="20100630"),                 # 3
    record(birth="2020    ", admit="20200105"),                     # 5
    record(birth="20200102", admit="20200101"),                     # 6
    record(birth="18790101", admit="20200101"),                     # 7
    record(group="04.1"),                                           # 9
]
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "records.txt")
with open(out, "w") as f:
    for r in rows:
        f.write(r.rstrip() + "\n")
