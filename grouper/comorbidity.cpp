// Comorbidity tier stage: the single-code, combination and etiology passes
// over the lists of the discharge date's rule version.  The lists keep their
// meaning as ordered scans (the first qualifying row in list order decides);
// the search itself goes through a build-time index, so each patient code is
// looked up once whatever the lists' length.
//
// Reentrant: the etiology flags are kept per call (the flag columns of the
// lists keep their built "0"), and exclusion lists are split without any
// remembered position, so calls on many threads never meet.
#include "comorbidity.h"

#include <cstdint>
#include <cstring>

#include "comorbidity_lists.h"
#include "engine.h"
#include "record.h"

namespace kestrava {
namespace {

inline bool same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

constexpr std::uint64_t kBytes01 = 0x0101010101010101u, kBytes80 = 0x8080808080808080u;

// Bytes of v that are zero have their high bit set in the result; the lowest
// such byte is exact (higher ones may be false alarms).
inline std::uint64_t zero_bytes(std::uint64_t v) { return (v - kBytes01) & ~v & kBytes80; }

inline std::uint64_t first8(const char* code) {
    std::uint64_t v;
    std::memcpy(&v, code, 8);
    return v;
}

// Trim_CMRBD leaves a code without a blank among its first 8 characters
// exactly as it is (a NUL among them already ends the string), so it only
// runs where there is a blank to remove.
inline void remove_blanks(char* code) {
    if (zero_bytes(first8(code) ^ (kBytes01 * ' '))) Trim_CMRBD(code);
}

// cmd_code_key of a code in a 9-byte buffer, from one 8-byte load.
inline std::uint64_t code_key9(const char* code) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    const std::uint64_t v = first8(code);
    const std::uint64_t zeros = zero_bytes(v);
    if (zeros == 0) return v;
    const int length = __builtin_ctzll(zeros) / 8;
    return length == 0 ? 0 : v & (~std::uint64_t{0} >> (64 - 8 * length));
#else
    return cmd_code_key(code);
#endif
}

void copy_text(char* dst, const char* src, std::size_t size) {
    std::strncpy(dst, src, size - 1);
    dst[size - 1] = '\0';
}

void note_deciding(TierTrace* trace, char pass, int row, const char* code1, const char* code2,
                   const char* ric) {
    if (!trace) return;
    trace->decidingPass = pass;
    trace->decidingRow = row;
    copy_text(trace->decidingCode[0], code1, sizeof trace->decidingCode[0]);
    copy_text(trace->decidingCode[1], code2, sizeof trace->decidingCode[1]);
    copy_text(trace->decidingExclusion, ric, sizeof trace->decidingExclusion);
}

// Each patient code is looked up once in the version's build-time index
// (hits[k], null when the code is in no list); the passes then decide among
// the rows found, so the first qualifying row in list order still decides.

// Etiology flags of one call: bit r-1 set when row r may not give a tier.
using EtiologyFlags = std::uint64_t;
static_assert(kCmdEtiologyRows <= 64, "etiology flags fit one word");

// The lowest row, in list order, that holds a patient code and is not
// excluded for the RIC.
char single_code_pass(const CmdSingleList& list, const char* ric, const CmdIndexHit* const* hits,
                      int inScope, TierTrace* trace) {
    int best = list.rows + 1;
    for (int k = 0; k < inScope; ++k) {
        if (!hits[k]) continue;
        const int r = hits[k]->single;
        if (r == 0 || r >= best || ric_excluded(list.ricAt(r), list.icd10, ric)) continue;
        best = r;
    }
    if (trace) {
        // Rows before the deciding one that hold a patient code but are excluded.
        int seen[kComorbidityEntries], counted = 0;
        for (int k = 0; k < inScope; ++k) {
            const int r = hits[k] ? hits[k]->single : 0;
            if (r == 0 || r >= best) continue;
            bool again = false;
            for (int i = 0; i < counted; ++i) again = again || seen[i] == r;
            if (!again) seen[counted++] = r;
        }
        trace->excludedRowsSkipped = counted;
    }
    if (best > list.rows) return 0;
    note_deciding(trace, 's', best, list.codeAt(best), "", list.ricAt(best));
    return list.tierAt(best)[0];
}

// Rows with both codes present, in row order: a row not excluded gives its
// tier (a later one writes over an earlier one); an excluded one flags the
// etiology rows of its two codes.
char combination_pass(const CmdCombinationList& list, const CmdIndex& index, const char* ric,
                      const CmdIndexHit* const* hits, int inScope, EtiologyFlags& flagged,
                      TierTrace* trace) {
    flagged = 0;
    std::uint64_t first[2] = {0, 0}, second[2] = {0, 0};
    for (int k = 0; k < inScope; ++k) {
        if (!hits[k] || !hits[k]->combination) continue;
        const std::uint64_t* rows = index.pairs[hits[k]->combination];
        first[0] |= rows[0];
        first[1] |= rows[1];
        second[0] |= rows[2];
        second[1] |= rows[3];
    }
    char tier = 0;
    for (int word = 0; word < 2; ++word) {
        for (std::uint64_t both = first[word] & second[word]; both != 0; both &= both - 1) {
            const int r = 64 * word + __builtin_ctzll(both) + 1;
            if (ric_excluded(list.ric[r], true, ric)) {
                if (trace && trace->excludedPairCount < 32) trace->excludedPairRows[trace->excludedPairCount++] = r;
                for (int c = 0; c < 2; ++c) {
                    const int e = index.pairEtiology[r][c];
                    if (e == 0 || (flagged >> (e - 1) & 1)) continue;
                    flagged |= EtiologyFlags{1} << (e - 1);
                    if (trace) trace->flaggedEtiologyRows[trace->flaggedCount++] = e;
                }
            } else {
                tier = list.tier[r][0];
                note_deciding(trace, 'c', r, list.code1[r], list.code2[r], list.ric[r]);
            }
        }
    }
    return tier;
}

// The lowest etiology row that holds a patient code, is not excluded and is
// not flagged.
char etiology_pass(const CmdEtiologyList& list, const char* ric, const CmdIndexHit* const* hits,
                   int inScope, EtiologyFlags flagged, TierTrace* trace) {
    int best = list.rows + 1;
    for (int k = 0; k < inScope; ++k) {
        if (!hits[k]) continue;
        const int e = hits[k]->etiology;
        if (e == 0 || e >= best || (flagged >> (e - 1) & 1) || ric_excluded(list.ric[e], true, ric)) continue;
        best = e;
    }
    if (best > list.rows) return 0;
    note_deciding(trace, 'e', best, list.code[best], "", list.ric[best]);
    return list.tier[best][0];
}

}  // namespace

bool ric_excluded(const char* list, bool icd10, const char* ric) {
    if (list[0] == ' ') return false;
    char tokenStr[21];
    int n = 0;
    for (int i = 0; list[i] != '\0' && n < 20; ++i)
        if (!icd10 || list[i] != ' ') tokenStr[n++] = list[i];
    tokenStr[n] = '\0';
    // Pieces between commas, left to right; the position lives in this call only.
    const std::size_t ricLength = std::strlen(ric);
    for (const char* piece = tokenStr; *piece != '\0';) {
        const char* end = std::strchr(piece, ',');
        const std::size_t length = end ? static_cast<std::size_t>(end - piece) : std::strlen(piece);
        if (length > 0 && length == ricLength && std::strncmp(piece, ric, length) == 0) return true;
        piece += length + (end ? 1 : 0);
    }
    return false;
}

const CmdTableSet* tier_tables_for(long dischargeValue) {
    const char* version = rule_version_for(dischargeValue);
    if (!version) return nullptr;
    for (const CmdTableSet& set : kCmdTableSets)
        if (std::memcmp(set.ruleVersion, version, 5) == 0) return &set;
    return nullptr;
}

int patient_codes_in_scope(const CmdTableSet& set, const char codes[kComorbidityEntries][9]) {
    if (!set.endCode) return 10;
    for (int k = 0; k < kComorbidityEntries; ++k)
        if (codes[k][0] == '^') return k;
    return kComorbidityEntries;
}

char comorbidity_tier(long dischargeValue, const char* ric, char codes[kComorbidityEntries][9],
                      TierTrace* trace) {
    for (int k = 0; k < kComorbidityEntries; ++k) remove_blanks(codes[k]);
    const CmdTableSet* set = tier_tables_for(dischargeValue);
    if (!set) return 'A';
    const int inScope = patient_codes_in_scope(*set, codes);
    if (trace) {
        copy_text(trace->listSingle, set->single->name, sizeof trace->listSingle);
        if (set->combination) copy_text(trace->listCombination, set->combination->name, sizeof trace->listCombination);
        if (set->etiology) copy_text(trace->listEtiology, set->etiology->name, sizeof trace->listEtiology);
        trace->scopeEntries = inScope;
        trace->endCodeEntry = set->endCode && inScope < kComorbidityEntries ? inScope : -1;
        trace->ranSingle = true;
    }
    const CmdIndexHit* hits[kComorbidityEntries];
    for (int k = 0; k < inScope; ++k) {
        const std::uint64_t key = code_key9(codes[k]);
        hits[k] = key != 0 ? set->index->find(key) : nullptr;
    }
    char tier = single_code_pass(*set->single, ric, hits, inScope, trace);
    if (!tier && set->combination) {
        EtiologyFlags flagged;
        if (trace) trace->ranCombination = true;
        tier = combination_pass(*set->combination, *set->index, ric, hits, inScope, flagged, trace);
        if (!tier) {
            if (trace) trace->ranEtiology = true;
            tier = etiology_pass(*set->etiology, ric, hits, inScope, flagged, trace);
        }
    }
    if (!tier) tier = 'A';
    if (trace) trace->tier = tier;
    return tier;
}

int tier_list_status(const char* ruleVersion, int* rowsPresent, int* rowsExpected) {
    *rowsPresent = 0;
    *rowsExpected = 0;
    if (!ruleVersion) return -1;
    for (const CmdTableSet& set : kCmdTableSets) {
        if (!same(set.ruleVersion, ruleVersion)) continue;
        *rowsPresent = set.single->rows;
        *rowsExpected = set.single->rowsExpected;
        return set.single->rows == set.single->rowsExpected ? 1 : 0;
    }
    return -1;
}

}  // namespace kestrava
