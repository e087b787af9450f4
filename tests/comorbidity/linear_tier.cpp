// Linear reference of the comorbidity tier stage: every list is scanned from
// row 1 in order, exactly as the passes are described, with the etiology
// flags kept per call.
#include "linear_tier.h"

#include <cstring>

#include "comorbidity_lists.h"
#include "record.h"

namespace kt {
namespace {

using kestrava::kComorbidityEntries;

// The first-byte test only spares most library calls.
bool same(const char* a, const char* b) { return a[0] == b[0] && std::strcmp(a, b) == 0; }

bool single_code_pass(const kestrava::CmdSingleList& list, const char* ric,
                      const char codes[kComorbidityEntries][9], int inScope, LinearTier& out) {
    // (The exclusion test is taken after the code test: same outcome, fewer tests.)
    for (int r = 1; r <= list.rows; ++r) {
        for (int k = 0; k < inScope; ++k) {
            if (!same(codes[k], list.codeAt(r))) continue;
            if (kestrava::ric_excluded(list.ricAt(r), list.icd10, ric)) break;
            out = {list.tierAt(r)[0], 's', r, {}};
            return true;
        }
    }
    return false;
}

bool combination_pass(const kestrava::CmdCombinationList& list, const kestrava::CmdEtiologyList& etiology,
                      const char* ric, const char codes[kComorbidityEntries][9], int inScope,
                      bool flagged[kestrava::kCmdEtiologyRows + 1], LinearTier& out) {
    for (int e = 1; e <= kestrava::kCmdEtiologyRows; ++e) flagged[e] = false;
    bool found = false;
    for (int r = 1; r <= list.rows; ++r) {
        bool first = false, second = false;
        for (int k = 0; k < inScope; ++k) {
            if (same(codes[k], list.code1[r])) first = true;
            if (same(codes[k], list.code2[r])) second = true;
        }
        if (!(first && second)) continue;
        if (kestrava::ric_excluded(list.ric[r], true, ric)) {
            for (const char* code : {list.code1[r], list.code2[r]}) {
                for (int e = 1; e <= etiology.rows; ++e) {
                    if (!same(etiology.code[e], code)) continue;
                    if (!flagged[e]) out.flagged.push_back(e);
                    flagged[e] = true;
                    break;
                }
            }
        } else {
            out.tier = list.tier[r][0];
            out.pass = 'c';
            out.row = r;
            found = true;
        }
    }
    return found;
}

bool etiology_pass(const kestrava::CmdEtiologyList& list, const char* ric,
                   const char codes[kComorbidityEntries][9], int inScope,
                   const bool flagged[kestrava::kCmdEtiologyRows + 1], LinearTier& out) {
    for (int r = 1; r <= list.rows; ++r) {
        if (flagged[r]) continue;
        for (int k = 0; k < inScope; ++k) {
            if (!same(codes[k], list.code[r])) continue;
            if (kestrava::ric_excluded(list.ric[r], true, ric)) break;
            out.tier = list.tier[r][0];
            out.pass = 'e';
            out.row = r;
            return true;
        }
    }
    return false;
}

}  // namespace

LinearTier linear_comorbidity_tier(long dischargeValue, const char* ric, char codes[kComorbidityEntries][9]) {
    LinearTier out;
    for (int k = 0; k < kComorbidityEntries; ++k) kestrava::Trim_CMRBD(codes[k]);
    const kestrava::CmdTableSet* set = kestrava::tier_tables_for(dischargeValue);
    if (!set) return out;
    const int inScope = kestrava::patient_codes_in_scope(*set, codes);
    if (single_code_pass(*set->single, ric, codes, inScope, out) || !set->combination) return out;
    bool flagged[kestrava::kCmdEtiologyRows + 1];
    if (combination_pass(*set->combination, *set->etiology, ric, codes, inScope, flagged, out)) return out;
    etiology_pass(*set->etiology, ric, codes, inScope, flagged, out);
    return out;
}

}  // namespace kt
