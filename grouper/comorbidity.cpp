// Comorbidity tier stage.
#include "comorbidity.h"

#include "record.h"

namespace kestrava {

char comorbidity_tier(long, const char*, char codes[kComorbidityEntries][9], TierTrace*) {
    for (int k = 0; k < kComorbidityEntries; ++k) Trim_CMRBD(codes[k]);
    return 'A';
}

}  // namespace kestrava
