// Comorbidity tier stage.
#ifndef KESTRAVA_GROUPER_COMORBIDITY_H
#define KESTRAVA_GROUPER_COMORBIDITY_H

#include "trace.h"

namespace kestrava {

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

}  // namespace kestrava

#endif
