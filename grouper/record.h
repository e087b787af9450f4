// The fixed-width IRF-PAI assessment record: the 66 items grouping reads and
// the three record routines.
#ifndef KESTRAVA_GROUPER_RECORD_H
#define KESTRAVA_GROUPER_RECORD_H

#include <cstdint>
#include <cstring>

namespace kestrava {

struct IrfItem {
    char itemName[16];
    std::int32_t position;  // 1-based
    std::int32_t width;
};

constexpr int kItemCount = 66;

// Index of each item in iTems, named after its working value.
enum ItemIndex : int {
    ASMT_SYS_CD = 0,
    TRANS_TYPE_CD,
    BIRTH_DT,
    ADMSN_DT,
    IMPRMNT_GRP_ADMSN_CD,
    CMRBD_COND_A_CD,  // A..J follow consecutively
    CMRBD_COND_J_CD = CMRBD_COND_A_CD + 9,
    EATG_ADMSN_CD,    // the 17 item-39 function items follow consecutively
    MEMRY_ADMSN_CD = EATG_ADMSN_CD + 16,
    DSCHGR_DT,
    CMRBD_COND_K_CD,  // K..Y follow consecutively
    CMRBD_COND_Y_CD = CMRBD_COND_K_CD + 14,
    GG0130A1,         // the 16 Section GG items follow consecutively
    GG0170M1 = GG0130A1 + 15,
    H0350,
    H0400,
};
static_assert(H0400 == kItemCount - 1, "item indices must cover iTems");

// The 66 items grouping reads, ascending by position; no two items overlap.
// R21A keeps its width of 8 here although grouping reads the impairment group
// 9 wide.  constexpr, so that the engine's reads compile to fixed-size copies.
inline constexpr IrfItem iTems[kItemCount] = {
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


// Full record length as the XML front ends build it, and the part grouping reads.
constexpr int kRecordLength = 2786;
constexpr int kRecordReadLength = 1615;

// Copies length bytes of value into record from 1-based position; no terminator.
inline void FillRecord(char* record, char* value, int position, int length) {
    for (int i = 0; i < length; ++i) record[position - 1 + i] = value[i];
}
// Copies length bytes of record from 1-based position into field and terminates
// it.  Inline, with fixed-size copies for the item widths, because grouping
// calls it for all 66 items of every record.
inline void FillData(char* record, char* field, int position, int length) {
    const char* from = record + position - 1;
    switch (length) {
        case 1: field[0] = from[0]; break;
        case 2: std::memcpy(field, from, 2); break;
        case 8: std::memcpy(field, from, 8); break;
        default:
            for (int i = 0; i < length; ++i) field[i] = from[i];
    }
    field[length] = '\0';
}

// Removes blanks from the first 8 characters of a comorbidity code, in place.
void Trim_CMRBD(char* code);

// Fills a 2786-byte record with blanks, '%' at 2785 and NUL at 2786.
void blank_record(char* record);

}  // namespace kestrava

#endif
