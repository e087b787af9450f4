// Comorbidity tier stage.
#include "comorbidity.h"

#include "record.h"

namespace kestrava {

char comorbidity_tier(long, const char*, char codes[kComorbidityEntries][9], TierTrace*) {
    for (int k = 0; k < kComorbidityEntries; ++k) Trim_CMRBD(codes[k]);
    return 'A';
}

int tier_list_status(const char*, int* rowsPresent, int* rowsExpected) {
    *rowsPresent = 0;
    *rowsExpected = 0;
    return -1;
}

}  // namespace kestrava
