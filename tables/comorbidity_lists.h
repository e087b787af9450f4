// Comorbidity tier lists of every rule version, generated at build time by
// gen_comorbidity.py from data/comorbidity/.  Every array is one column of a
// list, parallel by row, fixed-width NUL-padded text; row 0 is a blank
// placeholder that is never searched, data rows are 1..rows.
#ifndef KESTRAVA_TABLES_COMORBIDITY_LISTS_H
#define KESTRAVA_TABLES_COMORBIDITY_LISTS_H

#include <cstdint>

namespace kestrava {

// A single-code list: tier letter, code, RIC exclusion list.  Field widths
// differ between lists (CmdTier240 is 8 wide, CmdTier250 2), so the columns
// are reached through their width.
struct CmdSingleList {
    const char* name;  // "401s1"
    const char* tier;
    int tierWidth;
    const char* code;
    int codeWidth;
    const char* ric;
    int ricWidth;
    int rows;          // data rows bundled
    int rowsExpected;  // data rows of the payer's published list
    bool icd10;        // ICD-10-CM codes and ", "-separated exclusion lists
    const char* tierAt(int r) const { return tier + r * tierWidth; }
    const char* codeAt(int r) const { return code + r * codeWidth; }
    const char* ricAt(int r) const { return ric + r * ricWidth; }
};

// A combination list: two codes that together give the row's tier.
struct CmdCombinationList {
    const char* name;
    const char (*tier)[3];
    const char (*code1)[9];
    const char (*code2)[9];
    const char (*ric)[21];
    int rows;
};

// An etiology list.  The flag column keeps its built "0" in every row: the
// grouping call keeps its etiology flags per call.
struct CmdEtiologyList {
    const char* name;
    const char (*tier)[3];
    const char (*code)[9];
    const char (*ric)[21];
    const char (*eflag)[3];
    int rows;
};

// Build-time index of one rule version's lists: an open-addressing hash
// table (linear probing, key 0 = empty slot) from a code to its row in the
// single-code and etiology lists and to the combination rows that hold it.
// The stage looks each patient code up once instead of scanning the lists.
struct CmdIndexHit {
    std::uint16_t single;      // row in the single-code list, 0 if none
    std::uint8_t etiology;     // row in the etiology list, 0 if none
    std::uint8_t combination;  // row of pairs[] for the code, 0 if in no combination
};

struct CmdIndex {
    int bits;  // 1 << bits slots
    std::uint64_t multiplier;
    const std::uint64_t* keys;
    const CmdIndexHit* hits;
    // Per combination code: bit r-1 set for each combination row r holding
    // it as first code (words 0, 1) and as second code (words 2, 3).
    const std::uint64_t (*pairs)[4];
    // Per combination row: the etiology rows of its first and second codes
    // (0 when the code is in no etiology row).
    const std::uint8_t (*pairEtiology)[2];

    const CmdIndexHit* find(std::uint64_t key) const {
        const std::uint32_t mask = (1u << bits) - 1;
        for (std::uint32_t i = static_cast<std::uint32_t>((key * multiplier) >> (64 - bits));; i = (i + 1) & mask) {
            if (keys[i] == key) return &hits[i];
            if (keys[i] == 0) return nullptr;
        }
    }
};

// A NUL-terminated code of at most 8 characters as an index key: its bytes,
// first byte lowest.  The empty code gives 0, which no list code has.
inline std::uint64_t cmd_code_key(const char* code) {
    std::uint64_t key = 0;
    for (int i = 0; i < 8 && code[i] != '\0'; ++i)
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(code[i])) << (8 * i);
    return key;
}

// The lists one rule version searches.  Combination and etiology lists are
// null before "2.82".  endCode: the patient codes end at the first entry that
// starts with "^" (from "2.70"); otherwise they are entries 0..9 whatever
// they hold.
struct CmdTableSet {
    const char* ruleVersion;
    const CmdSingleList* single;
    const CmdCombinationList* combination;
    const CmdEtiologyList* etiology;
    bool endCode;
    const CmdIndex* index;
};

constexpr int kCmdRuleVersions = 10;
// "2.40" .. "4.01" in window order.
extern const CmdTableSet kCmdTableSets[kCmdRuleVersions];

// Single-code lists.  The row count of an incomplete list is that of the
// rows bundled; kCmdList<name>.rows says how many.
extern const char CmdTier240[][8], CmdICD240[][8], CmdRIC240[][20];
extern const char CmdTier250[][2], CmdICD250[][8], CmdRIC250[][20];
extern const char CmdTier260[][2], CmdICD260[][8], CmdRIC260[][20];
extern const char CmdTier281s1[][3], CmdICD281s1[][9], CmdRIC281s1[][21];
extern const char CmdTier290s1[][3], CmdICD290s1[][9], CmdRIC290s1[][21];
extern const char CmdTier300s1[][3], CmdICD300s1[][9], CmdRIC300s1[][21];
extern const char CmdTier310s1[][3], CmdICD310s1[][9], CmdRIC310s1[][21];
extern const char CmdTier400s1[][3], CmdICD400s1[][9], CmdRIC400s1[][21];
extern const char CmdTier401s1[][3], CmdICD401s1[][9], CmdRIC401s1[][21];
extern const CmdSingleList kCmdList240, kCmdList250, kCmdList260, kCmdList281s1, kCmdList290s1,
    kCmdList300s1, kCmdList310s1, kCmdList400s1, kCmdList401s1;

// Combination lists (290c holds the bytes of 281c).
extern const char CmdTier281c[64][3], CmdICD281c1[64][9], CmdICD281c2[64][9], CmdRIC281c[64][21];
extern const char CmdTier290c[64][3], CmdICD290c1[64][9], CmdICD290c2[64][9], CmdRIC290c[64][21];
extern const char CmdTier300c[88][3], CmdICD300c1[88][9], CmdICD300c2[88][9], CmdRIC300c[88][21];
extern const CmdCombinationList kCmdList281c, kCmdList290c, kCmdList300c;

// Etiology lists (290s2 holds the bytes of 281s2).
constexpr int kCmdEtiologyRows = 48;
extern const char CmdTier281s2[49][3], CmdICD281s2[49][9], CmdRIC281s2[49][21], CmdEflag281s2[49][3];
extern const char CmdTier290s2[49][3], CmdICD290s2[49][9], CmdRIC290s2[49][21], CmdEflag290s2[49][3];
extern const CmdEtiologyList kCmdList281s2, kCmdList290s2;

}  // namespace kestrava

#endif
