// Comorbidity tier stage.
#ifndef KESTRAVA_GROUPER_COMORBIDITY_H
#define KESTRAVA_GROUPER_COMORBIDITY_H

#include "trace.h"

namespace kestrava {

struct CmdTableSet;

constexpr int kComorbidityEntries = 25;

// Returns the tier letter 'A'..'D' for the patient's 25 comorbidity working
// values (items R24A..R24Y, 8 characters and NUL each; blanks are removed in
// place), the RIC and the discharge date value.  Reentrant.
char comorbidity_tier(long dischargeValue, const char* ric, char codes[kComorbidityEntries][9],
                      TierTrace* trace);

// Completeness of the single-code comorbidity list of a rule version ("2.40"
// .. "4.01"): rows bundled and rows the payer's list holds.  Returns 1 when
// complete, 0 when rows are missing, -1 for an unknown rule version.
int tier_list_status(const char* ruleVersion, int* rowsPresent, int* rowsExpected);

// The comorbidity lists of a discharge date value's rule version, or null
// when the value lies in no window.
const CmdTableSet* tier_tables_for(long dischargeValue);

// Number of patient codes a pass compares: entries 0..9 whatever they hold
// before "2.70"; from "2.70" the entries before the first one that starts
// with the end code "^" (25 when none does).
int patient_codes_in_scope(const CmdTableSet& set, const char codes[kComorbidityEntries][9]);

// Whether the exclusion list `list` (as stored) holds `ric`.  A list that
// starts with a blank excludes nothing; ICD-10-CM lists have their blanks
// removed before the split at commas; empty pieces are skipped.
bool ric_excluded(const char* list, bool icd10, const char* ric);

}  // namespace kestrava

#endif
