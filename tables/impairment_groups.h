// Impairment group table: impairment group code -> RIC.  Row 0 is a blank
// placeholder; rows 1..kImpairmentRows are searched in order.
#ifndef KESTRAVA_TABLES_IMPAIRMENT_GROUPS_H
#define KESTRAVA_TABLES_IMPAIRMENT_GROUPS_H

namespace kestrava {

constexpr int kImpairmentRows = 85;
extern const char Imp240[kImpairmentRows + 1][10];
extern const char Ric240[kImpairmentRows + 1][3];
// Rows 1..85 ordered by code bytes: the lookup binary-searches this.
extern const unsigned char ImpByCode[kImpairmentRows];

}  // namespace kestrava

#endif
