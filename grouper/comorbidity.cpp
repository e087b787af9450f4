// Comorbidity tier stage: the single-code, combination and etiology passes
// over the lists of the discharge date's rule version.
//
// Reentrant: the etiology flags are kept per call (the flag columns of the
// lists keep their built "0"), and exclusion lists are split without any
// remembered position, so calls on many threads never meet.
#include "comorbidity.h"

#include <cstring>
#include <initializer_list>

#include "comorbidity_lists.h"
#include "engine.h"
#include "record.h"

namespace kestrava {
namespace {

inline bool same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

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

// The first row in list order that is not excluded and whose code is among
// the patient codes decides.
char single_code_pass(const CmdSingleList& list, const char* ric,
                      const char codes[kComorbidityEntries][9], int inScope, TierTrace* trace) {
    for (int r = 1; r <= list.rows; ++r) {
        const bool excluded = ric_excluded(list.ricAt(r), list.icd10, ric);
        for (int k = 0; k < inScope; ++k) {
            if (!same(codes[k], list.codeAt(r))) continue;
            if (excluded) {
                if (trace) ++trace->excludedRowsSkipped;
                break;
            }
            note_deciding(trace, 's', r, list.codeAt(r), "", list.ricAt(r));
            return list.tierAt(r)[0];
        }
    }
    return 0;
}

// Every row is visited.  A row with both codes present gives its tier, or,
// when excluded for the RIC, flags the etiology rows of its two codes.
char combination_pass(const CmdCombinationList& list, const CmdEtiologyList& etiology,
                      const char* ric, const char codes[kComorbidityEntries][9], int inScope,
                      bool flagged[kCmdEtiologyRows + 1], TierTrace* trace) {
    for (int e = 1; e <= kCmdEtiologyRows; ++e) flagged[e] = false;
    char tier = 0;
    for (int r = 1; r <= list.rows; ++r) {
        const bool excluded = ric_excluded(list.ric[r], true, ric);
        bool first = false, second = false;
        for (int k = 0; k < inScope; ++k) {
            if (same(codes[k], list.code1[r])) first = true;
            if (same(codes[k], list.code2[r])) second = true;
        }
        if (!(first && second)) continue;
        if (excluded) {
            for (const char* code : {list.code1[r], list.code2[r]}) {
                for (int e = 1; e <= etiology.rows; ++e) {
                    if (!same(etiology.code[e], code)) continue;
                    if (trace && !flagged[e]) trace->flaggedEtiologyRows[trace->flaggedCount++] = e;
                    flagged[e] = true;
                    break;
                }
            }
        } else {
            tier = list.tier[r][0];
            note_deciding(trace, 'c', r, list.code1[r], list.code2[r], list.ric[r]);
        }
    }
    return tier;
}

char etiology_pass(const CmdEtiologyList& list, const char* ric,
                   const char codes[kComorbidityEntries][9], int inScope,
                   const bool flagged[kCmdEtiologyRows + 1], TierTrace* trace) {
    for (int r = 1; r <= list.rows; ++r) {
        if (ric_excluded(list.ric[r], true, ric) || flagged[r]) continue;
        for (int k = 0; k < inScope; ++k) {
            if (!same(codes[k], list.code[r])) continue;
            note_deciding(trace, 'e', r, list.code[r], "", list.ric[r]);
            return list.tier[r][0];
        }
    }
    return 0;
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
        if (same(set.ruleVersion, version)) return &set;
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
    for (int k = 0; k < kComorbidityEntries; ++k) Trim_CMRBD(codes[k]);
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
    char tier = single_code_pass(*set->single, ric, codes, inScope, trace);
    if (!tier && set->combination) {
        bool flagged[kCmdEtiologyRows + 1];
        if (trace) trace->ranCombination = true;
        tier = combination_pass(*set->combination, *set->etiology, ric, codes, inScope, flagged, trace);
        if (!tier) {
            if (trace) trace->ranEtiology = true;
            tier = etiology_pass(*set->etiology, ric, codes, inScope, flagged, trace);
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
