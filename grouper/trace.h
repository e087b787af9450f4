// Optional record of how one grouping call reached its result, for the
// tool's explain mode.  The engine fills it only when the caller passes one;
// a null trace costs one branch per stage.
#ifndef KESTRAVA_GROUPER_TRACE_H
#define KESTRAVA_GROUPER_TRACE_H

namespace kestrava {

// Filled by the comorbidity stage.
struct TierTrace {
    char listSingle[8] = "";     // e.g. "401s1"; empty when no pass ran
    char listCombination[8] = "";
    char listEtiology[8] = "";
    int scopeEntries = 0;        // patient entries compared (10 or 25)
    int endCodeEntry = -1;       // entry that ended the list, -1 if none
    bool ranSingle = false, ranCombination = false, ranEtiology = false;
    char decidingPass = 0;       // 's', 'c', 'e', or 0 when tier stays "A"
    int decidingRow = 0;         // row of the deciding list
    char decidingCode[2][9] = {"", ""};
    char decidingExclusion[22] = "";
    int excludedRowsSkipped = 0; // rows that matched a code but were excluded
    int flaggedEtiologyRows[48] = {};
    int flaggedCount = 0;
    // Combination rows with both codes present but excluded for the RIC: the
    // rows that flag etiology rows.  No RIC is excluded from more than 12 rows
    // of any combination list, so 32 always holds them.
    int excludedPairRows[32] = {};
    int excludedPairCount = 0;
    char tier = 'A';             // the tier letter the stage returned
};

struct Trace {
    // Validation, in check order.
    char irfPai[11] = "";
    int failedCheck = 0;       // result code of the failed check, 0 when all passed
    bool birthHasBlank = false;
    char birthCompleted[9] = "";
    long admissionValue = 0, birthValue = 0, dischargeValue = 0;
    int admYear = 0, admMonth = 0, admDay = 0, birthYear = 0, birthMonth = 0, birthDay = 0;
    int age = 0;
    // Impairment group.
    char impairmentRaw[10] = "";
    char impairmentNormalised[10] = "";
    int impairmentRow = 0;     // 0 when not found
    char ric[3] = "";
    // Scoring.
    bool item39 = false;       // item-39 scheme, else Section GG
    int motorItems = 0;        // 12 or 18
    int motorRead[18] = {};
    int motorUsed[18] = {};
    int motorWeight[18] = {};  // tenths under item-39; 1 under Section GG
    int motorSum = 0;          // tenths under item-39, plain under Section GG
    int motorSearchValue = 0;
    int cogRead[5] = {};
    int cogUsed[5] = {};
    int cogSum = 0;
    int decisionRow = 0;       // 0 when no row matched ("0000")
    TierTrace tier;
};

}  // namespace kestrava

#endif
