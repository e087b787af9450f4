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
extern const IrfItem iTems[kItemCount];

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
