// The grouping call: validation, rule version and age; impairment group to
// RIC; item-39 or Section GG scoring and CMG number; comorbidity tier.
#include <cstring>
#include <utility>

#include "cmg_decision.h"
#include "comorbidity.h"
#include "engine.h"
#include "impairment_groups.h"
#include "record.h"

namespace kestrava {
namespace {

constexpr long kFirstDischarge = 20100701;
constexpr long kSectionGGFrom = 20191001;

struct RuleWindow {
    long low, high;
    const char* version;
};

// Inclusive bounds, tested in order; the last window has no upper bound.
constexpr RuleWindow kRuleWindows[] = {
    {20100701, 20100930, "2.40"}, {20101001, 20110930, "2.50"}, {20111001, 20140930, "2.60"},
    {20141001, 20150930, "2.70"}, {20151001, 20160930, "2.82"}, {20161001, 20170930, "2.90"},
    {20171001, 20180930, "3.00"}, {20181001, 20190930, "3.10"}, {20191001, 20200331, "4.00"},
    {20200401, 0x7fffffffL, "4.01"},
};

// Item-39 motor weights in tenths, slots 1..12 (they add up to 120).
constexpr int kItem39Weights[12] = {6, 2, 9, 2, 14, 12, 5, 2, 22, 14, 16, 16};
constexpr int kItem39ToiletSlot = 9;     // R39JA: a 0 counts 2
constexpr int kSectionGGWalkSlot = 11;   // GG0170F1: a recoded code counts 2

// Working values of one call: every item as read, NUL-terminated.  The
// impairment group is read 9 wide, the assessment system code is 10 wide.
// The 25 comorbidity codes are read straight into the patient code list.
struct Items {
    char v[kItemCount][11];
    char codes[kComorbidityEntries][9];
    const char* operator[](int i) const { return v[i]; }
};

template <int I>
inline void read_item(char* record, Items& it) {
    constexpr int width = I == IMPRMNT_GRP_ADMSN_CD ? 9 : iTems[I].width;
    char* field = it.v[I];
    if constexpr (I >= CMRBD_COND_A_CD && I <= CMRBD_COND_J_CD)
        field = it.codes[I - CMRBD_COND_A_CD];
    else if constexpr (I >= CMRBD_COND_K_CD && I <= CMRBD_COND_Y_CD)
        field = it.codes[10 + I - CMRBD_COND_K_CD];
    FillData(record, field, iTems[I].position, width);
}

template <int... I>
inline void read_items(char* record, Items& it, std::integer_sequence<int, I...>) {
    (read_item<I>(record, it), ...);
}

// Number of a RIC_Code ("01".."21"), 0 for anything else.
inline int ric_number(const char* ric) {
    const int n = (ric[0] - '0') * 10 + (ric[1] - '0');
    return n >= 1 && n <= 21 ? n : 0;
}

inline bool blank_cell(const char* cell) { return cell[0] == ' '; }

inline void put(char* dst, const char* src, std::size_t size) { std::memcpy(dst, src, size); }

int fail(int code, int* returnCode, Trace* trace) {
    *returnCode = code;
    if (trace) trace->failedCheck = code;
    return code;
}

// Impairment group to RIC.  Returns the table row, 0 when not found.
int find_ric(char* group, char* ricCode, Trace* trace) {
    char TRIM_IMP[10];
    int n = 0;
    for (int i = 2; i <= 8; ++i)
        if (group[i] != ' ') TRIM_IMP[n++] = group[i];
    TRIM_IMP[n] = '\0';
    if (trace) std::memcpy(trace->impairmentRaw, group, 10);
    std::memcpy(group, TRIM_IMP, n + 1);
    if (trace) std::memcpy(trace->impairmentNormalised, group, 10);
    // The codes are unique, so a binary search over the code order finds the
    // row a scan from row 1 would.
    int lo = 0, hi = kImpairmentRows - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int k = ImpByCode[mid];
        const int cmp = std::strcmp(group, Imp240[k]);
        if (cmp == 0) {
            std::memcpy(ricCode, Ric240[k], 3);
            if (trace) {
                trace->impairmentRow = k;
                std::memcpy(trace->ric, ricCode, 3);
            }
            return k;
        }
        if (cmp < 0) hi = mid - 1; else lo = mid + 1;
    }
    return 0;
}

// RIC cells and RIC_Code are both two digits and a NUL.
inline bool same_ric(const char* cell, const char* ric) {
    return cell[0] == ric[0] && cell[1] == ric[1] && cell[2] == ric[2];
}

// "%d" of v into out (at least 12 bytes); returns the length.
int format_int(int v, char* out) {
    char digits[12];
    unsigned u = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
    int n = 0;
    do { digits[n++] = static_cast<char>('0' + u % 10); u /= 10; } while (u);
    int len = 0;
    if (v < 0) out[len++] = '-';
    while (n) out[len++] = digits[--n];
    out[len] = '\0';
    return len;
}

inline bool in_band(const char* low, const char* high, int value) {
    return value >= to_int(low) && value <= to_int(high);
}

// Cognitive and age bands: a pair with a blank cell sets no condition, and a
// blank cell is never converted.
inline bool optional_band_holds(const char* low, const char* high, int value) {
    return blank_cell(low) || blank_cell(high) || in_band(low, high, value);
}

// Item-39 scheme: weighted motor score in tenths, cognitive score, CMG number.
void score_item39(const Items& it, const char* ric, int age, char* motorScore, int* cogScore,
                  char* cmgNumber, Trace* trace) {
    int motor = 0;
    for (int k = 0; k < 12; ++k) {
        int v = to_int(it[EATG_ADMSN_CD + k]);
        int used = v == 0 ? (k == kItem39ToiletSlot ? 2 : 1) : v;
        motor += used * kItem39Weights[k];
        if (trace) {
            trace->motorRead[k] = v;
            trace->motorUsed[k] = used;
            trace->motorWeight[k] = kItem39Weights[k];
        }
    }
    // "%d" with a decimal point put before the last digit: 437 -> "43.7",
    // 7 -> ".7", -5 -> "-.5".
    char str[16];
    int len = format_int(motor, str);
    str[len] = str[len - 1];
    str[len - 1] = '.';
    str[len + 1] = '\0';
    std::memcpy(motorScore, str, static_cast<std::size_t>(len) + 2);

    int cog = 0;
    for (int k = 0; k < 5; ++k) {
        int v = to_int(it[EATG_ADMSN_CD + 12 + k]);
        int used = v == 0 ? 1 : v;
        cog += used;
        if (trace) {
            trace->cogRead[k] = v;
            trace->cogUsed[k] = used;
        }
    }
    *cogScore = cog;

    int row = 0;
    // Rows of other RICs never match, so the search starts at the RIC's run.
    const int first = CmgFirstRow[ric_number(ric)];
    for (int r = first ? first : kItem39Rows + 1; r <= kItem39Rows && same_ric(RicCode[r], ric); ++r) {
        if (!in_band(MotLow[r], MotHigh[r], motor)) continue;
        if (!optional_band_holds(CogLow[r], CogHigh[r], cog)) continue;
        if (!optional_band_holds(AgeLow[r], AgeHigh[r], age)) continue;
        row = r;
        break;
    }
    std::memcpy(cmgNumber, row ? CMG[row] : "0000", 5);
    if (trace) {
        trace->item39 = true;
        trace->motorItems = 12;
        trace->motorSum = motor;
        trace->motorSearchValue = motor;
        trace->cogSum = cog;
        trace->decisionRow = row;
    }
}

int recode_h0350(int v) {
    switch (v) {
        case 0: case 1: case 5: return 4;
        case 2: return 3;
        case 3: return 2;
        case 4: case 9: return 1;
        default: return v;
    }
}

int recode_h0400(int v) {
    switch (v) {
        case 0: return 4;
        case 1: return 3;
        case 2: case 9: return 2;
        case 3: return 1;
        default: return v;
    }
}

// Section GG scheme: unweighted motor score of 18 items, CMG number.
void score_section_gg(const Items& it, const char* ric, int age, char* motorScore,
                      char* cmgNumber, Trace* trace) {
    int motor = 0;
    for (int k = 0; k < 18; ++k) {
        int v = to_int(it[GG0130A1 + k]);
        int used;
        if (k < 16) {
            bool code = v == 0 || v == 7 || v == 9 || v == 10 || v == 88;
            used = code ? (k == kSectionGGWalkSlot ? 2 : 1) : v;
        } else {
            used = k == 16 ? recode_h0350(v) : recode_h0400(v);
        }
        motor += used;
        if (trace) {
            trace->motorRead[k] = v;
            trace->motorUsed[k] = used;
            trace->motorWeight[k] = 1;
        }
    }
    char str[16];
    int len = format_int(motor, str);
    std::memcpy(motorScore, str, static_cast<std::size_t>(len) + 1);

    const int search = 10 * motor;
    int row = 0;
    const int first = CmgFirstRow40[ric_number(ric)];
    for (int r = first ? first : kSectionGGRows + 1; r <= kSectionGGRows && same_ric(RicCode40[r], ric); ++r) {
        if (!in_band(MotLow40[r], MotHigh40[r], search)) continue;
        if (!optional_band_holds(AgeLow40[r], AgeHigh40[r], age)) continue;
        row = r;
        break;
    }
    std::memcpy(cmgNumber, row ? CMG40[row] : "0000", 5);
    if (trace) {
        trace->item39 = false;
        trace->motorItems = 18;
        trace->motorSum = motor;
        trace->motorSearchValue = search;
        trace->decisionRow = row;
    }
}

}  // namespace

const char* rule_version_for(long dischargeValue) {
    for (const RuleWindow& w : kRuleWindows)
        if (dischargeValue >= w.low && dischargeValue <= w.high) return w.version;
    return nullptr;
}

int group_record(const char* irfRecord, char* cmgCode, int* returnCode, char* motorScore,
                 int* cogScore, int* age, char* ruleVersion, char* grouperRelease, Trace* trace) {
    put(cmgCode, "     ", 6);
    *returnCode = 0;
    *cogScore = 0;
    put(motorScore, " 0.0", 5);
    *age = 0;
    put(ruleVersion, "    ", 5);

    // Every item is read before any check.  FillData takes a mutable record
    // for its exported signature; grouping never writes through it.
    char* record = const_cast<char*>(irfRecord);
    Items it;
    read_items(record, it, std::make_integer_sequence<int, kItemCount>{});

    const long discharge = to_long(it[DSCHGR_DT]);
    if (const char* version = rule_version_for(discharge)) put(ruleVersion, version, 5);
    put(grouperRelease, "4.01", 5);
    if (trace) trace->dischargeValue = discharge;

    // 1: assessment system code with every blank removed.
    char IRF_PAI[11];
    int n = 0;
    for (int i = 0; i < 10; ++i)
        if (it[ASMT_SYS_CD][i] != ' ') IRF_PAI[n++] = it[ASMT_SYS_CD][i];
    IRF_PAI[n] = '\0';
    if (trace) std::memcpy(trace->irfPai, IRF_PAI, sizeof IRF_PAI);
    if (std::strcmp(IRF_PAI, "IRF-PAI") != 0) return fail(1, returnCode, trace);

    // 2: transaction type.
    if (it[TRANS_TYPE_CD][0] == '3') return fail(2, returnCode, trace);

    // 3: discharge before the first rule version.
    if (discharge < kFirstDischarge) return fail(3, returnCode, trace);

    // 5: a birth date with blanks in the admission year.
    char* birth = it.v[BIRTH_DT];
    const char* admission = it[ADMSN_DT];
    bool birthBlank = false;
    for (int i = 0; i < 8; ++i) birthBlank |= birth[i] == ' ';
    if (trace) trace->birthHasBlank = birthBlank;
    if (birthBlank && std::memcmp(birth, admission, 4) == 0) return fail(5, returnCode, trace);

    // A missing month becomes June, a missing day the 15th; a half-blank
    // pair is left as it is.
    if (birth[4] == ' ' && birth[5] == ' ') { birth[4] = '0'; birth[5] = '6'; }
    if (birth[6] == ' ' && birth[7] == ' ') { birth[6] = '1'; birth[7] = '5'; }
    if (trace) std::memcpy(trace->birthCompleted, birth, 9);

    // 6: admission before birth.
    const long admissionValue = to_long(admission), birthValue = to_long(birth);
    if (trace) {
        trace->admissionValue = admissionValue;
        trace->birthValue = birthValue;
    }
    if (admissionValue < birthValue) return fail(6, returnCode, trace);

    auto part = [](const char* date, int from, int len) {
        char text[5];
        std::memcpy(text, date + from, len);
        text[len] = '\0';
        return to_int(text);
    };
    const int admYear = part(admission, 0, 4), admMonth = part(admission, 4, 2), admDay = part(admission, 6, 2);
    const int birYear = part(birth, 0, 4), birMonth = part(birth, 4, 2), birDay = part(birth, 6, 2);
    int years = admYear - birYear;
    if (admMonth < birMonth || (admMonth == birMonth && admDay < birDay)) --years;
    *age = years;
    if (trace) {
        trace->admYear = admYear; trace->admMonth = admMonth; trace->admDay = admDay;
        trace->birthYear = birYear; trace->birthMonth = birMonth; trace->birthDay = birDay;
        trace->age = years;
    }

    // 7: implausible age.
    if (years > 140) return fail(7, returnCode, trace);

    // 9: impairment group not in the table.
    char RIC_Code[3];
    if (!find_ric(it.v[IMPRMNT_GRP_ADMSN_CD], RIC_Code, trace)) return fail(9, returnCode, trace);

    char CMG_Group_Number[5];
    if (discharge < kSectionGGFrom)
        score_item39(it, RIC_Code, years, motorScore, cogScore, CMG_Group_Number, trace);
    else
        score_section_gg(it, RIC_Code, years, motorScore, CMG_Group_Number, trace);

    const char tier = comorbidity_tier(discharge, RIC_Code, it.codes, trace ? &trace->tier : nullptr);

    cmgCode[0] = tier;
    std::memcpy(cmgCode + 1, CMG_Group_Number, 5);
    return 0;
}

}  // namespace kestrava
