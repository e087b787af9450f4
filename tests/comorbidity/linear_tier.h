// The comorbidity tier stage as straightforward linear scans of the lists in
// row order: the reference the indexed stage of the library is checked
// against, and the "linear" side of the benchmark.
#ifndef KESTRAVA_TESTS_LINEAR_TIER_H
#define KESTRAVA_TESTS_LINEAR_TIER_H

#include <vector>

#include "comorbidity.h"

namespace kt {

struct LinearTier {
    char tier = 'A';
    char pass = 0;               // 's', 'c', 'e', or 0
    int row = 0;                 // deciding row (combination: the last qualifying one)
    std::vector<int> flagged;    // etiology rows flagged, in flagging order
};

// Same contract as kestrava::comorbidity_tier (blanks are removed in place).
LinearTier linear_comorbidity_tier(long dischargeValue, const char* ric,
                                   char codes[kestrava::kComorbidityEntries][9]);

}  // namespace kt

#endif
