// CMG decision tables of both scoring schemes, as parallel columns of text
// cells.  Row 0 is blank and never searched; a cell whose first character is
// a blank sets no condition.
#ifndef KESTRAVA_TABLES_CMG_DECISION_H
#define KESTRAVA_TABLES_CMG_DECISION_H

namespace kestrava {

// Item-39 scheme (discharge before 20191001); motor bounds in tenths.
constexpr int kItem39Rows = 87;
extern const char CMG[kItem39Rows + 1][5];
extern const char RicCode[kItem39Rows + 1][3];
extern const char MotLow[kItem39Rows + 1][4];
extern const char MotHigh[kItem39Rows + 1][4];
extern const char CogLow[kItem39Rows + 1][3];
extern const char CogHigh[kItem39Rows + 1][3];
extern const char AgeLow[kItem39Rows + 1][4];
extern const char AgeHigh[kItem39Rows + 1][4];
// First row of each RIC's run, indexed by RIC number 1..21.
extern const unsigned char CmgFirstRow[22];

// Section GG scheme (discharge from 20191001); motor bounds are score x 10.
constexpr int kSectionGGRows = 95;
extern const char CMG40[kSectionGGRows + 1][5];
extern const char RicCode40[kSectionGGRows + 1][3];
extern const char MotLow40[kSectionGGRows + 1][4];
extern const char MotHigh40[kSectionGGRows + 1][5];
extern const char AgeLow40[kSectionGGRows + 1][4];
extern const char AgeHigh40[kSectionGGRows + 1][4];
extern const unsigned char CmgFirstRow40[22];

}  // namespace kestrava

#endif
