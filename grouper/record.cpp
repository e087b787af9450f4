#include "record.h"

#include <cstring>

namespace kestrava {

// Ascending by position; no two items overlap.  R21A keeps its width of 8
// here although grouping reads the impairment group 9 wide.
const IrfItem iTems[kItemCount] = {
    {"ASMT_SYS_CD", 1, 10},   {"TRANS_TYPE_CD", 11, 1}, {"R6", 657, 8},
    {"R12", 688, 8},          {"R21A", 720, 8},
    {"R24A", 754, 8},         {"R24B", 762, 8},         {"R24C", 770, 8},
    {"R24D", 778, 8},         {"R24E", 786, 8},         {"R24F", 794, 8},
    {"R24G", 802, 8},         {"R24H", 810, 8},         {"R24I", 818, 8},
    {"R24J", 826, 8},
    {"R39AA", 882, 2},        {"R39BA", 888, 2},        {"R39CA", 894, 2},
    {"R39DA", 900, 2},        {"R39EA", 906, 2},        {"R39FA", 912, 2},
    {"R39GA", 918, 2},        {"R39HA", 924, 2},        {"R39IA", 930, 2},
    {"R39JA", 936, 2},        {"R39LA", 948, 2},        {"R39MA", 956, 2},
    {"R39NA", 962, 2},        {"R39OA", 970, 2},        {"R39PA", 978, 2},
    {"R39QA", 984, 2},        {"R39RA", 990, 2},
    {"R40", 996, 8},
    {"R24K", 1132, 8},        {"R24L", 1140, 8},        {"R24M", 1148, 8},
    {"R24N", 1156, 8},        {"R24O", 1164, 8},        {"R24P", 1172, 8},
    {"R24Q", 1180, 8},        {"R24R", 1188, 8},        {"R24S", 1196, 8},
    {"R24T", 1204, 8},        {"R24U", 1212, 8},        {"R24V", 1220, 8},
    {"R24W", 1228, 8},        {"R24X", 1236, 8},        {"R24Y", 1244, 8},
    {"GG0130A1", 1462, 2},    {"GG0130B1", 1468, 2},    {"GG0130C1", 1474, 2},
    {"GG0130E1", 1480, 2},    {"GG0130F1", 1486, 2},    {"GG0130G1", 1492, 2},
    {"GG0130H1", 1498, 2},
    {"GG0170B1", 1510, 2},    {"GG0170C1", 1516, 2},    {"GG0170D1", 1522, 2},
    {"GG0170E1", 1528, 2},    {"GG0170F1", 1534, 2},    {"GG0170I1", 1548, 2},
    {"GG0170J1", 1554, 2},    {"GG0170K1", 1560, 2},    {"GG0170M1", 1572, 2},
    {"H0350", 1614, 1},       {"H0400", 1615, 1},
};

void Trim_CMRBD(char* code) {
    // A NUL among the 8 characters is kept like any non-blank, so the copy
    // back ends at it.
    char TrimCMRBD[9];
    int n = 0;
    for (int i = 0; i < 8; ++i)
        if (code[i] != ' ') TrimCMRBD[n++] = code[i];
    TrimCMRBD[n] = '\0';
    std::strcpy(code, TrimCMRBD);
}

void blank_record(char* record) {
    std::memset(record, ' ', kRecordLength);
    record[kRecordLength - 2] = '%';
    record[kRecordLength - 1] = '\0';
}

}  // namespace kestrava
