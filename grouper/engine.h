// The grouping engine.  Every exported surface (Linux C ABI, Windows DLL,
// database library, XML front ends) calls group_record; nothing else groups.
#ifndef KESTRAVA_GROUPER_ENGINE_H
#define KESTRAVA_GROUPER_ENGINE_H

#include "trace.h"

namespace kestrava {

// Groups one fixed-width record (at least 1615 readable bytes).  Arguments and
// outputs are those of CMG_401; trace may be null.  Reentrant.
int group_record(const char* irfRecord, char* cmgCode, int* returnCode, char* motorScore,
                 int* cogScore, int* age, char* ruleVersion, char* grouperRelease,
                 Trace* trace = nullptr);

// Rule version of a discharge date value ("2.40" .. "4.01"), or null when the
// value lies in no window.
const char* rule_version_for(long dischargeValue);

// Integer conversions with the semantics of the C library's atoi/atol:
// leading white space, optional sign, digits up to the first other character,
// 0 without digits.  Inline and locale-free for the hot path.
inline long to_long(const char* s) {
    while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
    bool neg = false;
    if (*s == '+' || *s == '-') neg = (*s++ == '-');
    long v = 0;
    // Working values are at most 10 characters, so this cannot overflow; the
    // cap keeps the function total on any input.
    for (int n = 0; *s >= '0' && *s <= '9' && n < 18; ++s, ++n) v = v * 10 + (*s - '0');
    return neg ? -v : v;
}
inline int to_int(const char* s) { return static_cast<int>(to_long(s)); }

}  // namespace kestrava

#endif
