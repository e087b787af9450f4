#include "explain.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cmg_decision.h"
#include "codes.h"
#include "engine.h"
#include "input.h"
#include "output.h"
#include "record.h"
#include "tier_lists.h"
#include "trace.h"
#include "xml_frontend.h"

namespace kestrava::cli {
namespace {

// An item of the record as it stands there, for showing the input.
std::string item_text(const char* record, int index) {
    char field[32];
    FillData(const_cast<char*>(record), field, iTems[index].position, iTems[index].width);
    return field;
}

std::string tenths(int t) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%s%d.%d", t < 0 ? "-" : "", (t < 0 ? -t : t) / 10, (t < 0 ? -t : t) % 10);
    return buf;
}

// "any" for a blank table cell, else the cell read as a number.
std::string band(const char* low, const char* high, bool asTenths) {
    if (low[0] == ' ' || high[0] == ' ') return "any";
    int lo = to_int(low), hi = to_int(high);
    return asTenths ? tenths(lo) + " to " + tenths(hi) : std::to_string(lo) + " to " + std::to_string(hi);
}

// The validation checks by their result codes, in the order they run.
constexpr int kCheckOrder[] = {1, 2, 3, 5, 6, 7, 9};

void check_line(int code, int failed, const std::string& passText, const std::string& failText) {
    if (failed == code) std::printf("  FAILED  %s -> result %d\n", failText.c_str(), code);
    else std::printf("  passed  %s\n", passText.c_str());
}

void explain_validation(const char* rec, const Trace& t) {
    const int failed = t.failedCheck;
    std::printf("\nValidation, in check order\n");
    for (const int code : kCheckOrder) {
        switch (code) {
            case 1:
                check_line(1, failed, "assessment system code \"" + item_text(rec, ASMT_SYS_CD) + "\", blanks removed \"" + t.irfPai + "\", is \"IRF-PAI\"",
                           "assessment system code \"" + item_text(rec, ASMT_SYS_CD) + "\", blanks removed \"" + t.irfPai + "\", is not \"IRF-PAI\"");
                break;
            case 2:
                check_line(2, failed, "transaction type code \"" + item_text(rec, TRANS_TYPE_CD) + "\" is not \"3\"",
                           "transaction type code is \"3\"");
                break;
            case 3: {
                std::string d = "discharge date \"" + item_text(rec, DSCHGR_DT) + "\" (value " + std::to_string(t.dischargeValue) + ")";
                check_line(3, failed, d + " is not below 20100701", d + " is below 20100701");
                break;
            }
            case 5: {
                std::string b = "birth date \"" + item_text(rec, BIRTH_DT) + "\"";
                check_line(5, failed,
                           t.birthHasBlank ? b + " has a blank, but its year differs from the admission date's \"" + item_text(rec, ADMSN_DT) + "\""
                                           : b + " has no blank",
                           b + " has a blank and its first four characters equal those of the admission date \"" + item_text(rec, ADMSN_DT) + "\"");
                break;
            }
            case 6: {
                std::string v = "admission date value " + std::to_string(t.admissionValue) + " against completed birth date \"" +
                                t.birthCompleted + "\" (value " + std::to_string(t.birthValue) + ")";
                check_line(6, failed, v + ": not below", v + ": below");
                break;
            }
            case 7:
                check_line(7, failed, "age " + std::to_string(t.age) + " is not above 140", "age " + std::to_string(t.age) + " is above 140");
                break;
            case 9:
                check_line(9, failed, "impairment group \"" + std::string(t.impairmentNormalised) + "\" is in the impairment group table",
                           "impairment group \"" + std::string(t.impairmentNormalised) + "\" is not in the impairment group table");
                break;
        }
        if (code == failed) {
            std::printf("  (later checks and stages do not run)\n");
            return;
        }
    }
}

void explain_age(const char* rec, const Trace& t) {
    std::printf("\nAge\n");
    std::printf("  admission \"%s\": year %d, month %d, day %d\n", item_text(rec, ADMSN_DT).c_str(), t.admYear, t.admMonth, t.admDay);
    std::printf("  birth \"%s\"%s: year %d, month %d, day %d\n", item_text(rec, BIRTH_DT).c_str(),
                std::strcmp(t.birthCompleted, item_text(rec, BIRTH_DT).c_str()) == 0
                    ? ""
                    : (std::string(", completed to \"") + t.birthCompleted + "\"").c_str(),
                t.birthYear, t.birthMonth, t.birthDay);
    const int years = t.admYear - t.birthYear;
    if (t.age == years)
        std::printf("  %d - %d = %d (the birthday had come by the admission date)\n", t.admYear, t.birthYear, t.age);
    else
        std::printf("  %d - %d - 1 = %d (the birthday had not yet come by the admission date)\n", t.admYear, t.birthYear, t.age);
}

void explain_impairment(const Trace& t) {
    std::printf("\nImpairment group\n");
    std::printf("  as read (positions 720-728) \"%s\", normalised \"%s\"", t.impairmentRaw, t.impairmentNormalised);
    if (t.impairmentRow) std::printf(": table row %d, RIC %s\n", t.impairmentRow, t.ric);
    else std::printf(": in no table row\n");
}

void explain_scores(const Trace& t) {
    if (t.item39) {
        std::printf("\nMotor score (item-39 scheme: 12 items, weights in tenths; a 0 counts 1, R39JA 2)\n");
        std::printf("  %-10s %5s %5s %7s %7s\n", "item", "read", "used", "weight", "points");
        for (int k = 0; k < t.motorItems; ++k)
            std::printf("  %-10s %5d %5d %7s %7s%s\n", iTems[EATG_ADMSN_CD + k].itemName, t.motorRead[k], t.motorUsed[k],
                        tenths(t.motorWeight[k]).c_str(), tenths(t.motorUsed[k] * t.motorWeight[k]).c_str(),
                        t.motorRead[k] != t.motorUsed[k] ? "  recoded" : "");
        std::printf("  motor score %s\n", tenths(t.motorSum).c_str());
        std::printf("\nCognitive score (5 items; a 0 counts 1)\n");
        std::printf("  %-10s %5s %5s\n", "item", "read", "used");
        for (int k = 0; k < 5; ++k)
            std::printf("  %-10s %5d %5d%s\n", iTems[EATG_ADMSN_CD + 12 + k].itemName, t.cogRead[k], t.cogUsed[k],
                        t.cogRead[k] != t.cogUsed[k] ? "  recoded" : "");
        std::printf("  cognitive score %d\n", t.cogSum);
    } else {
        std::printf("\nMotor score (Section GG scheme: 18 items, no weights; codes 0, 7, 9, 10, 88 count 1, GG0170F1 2;\n"
                    "  H0350 and H0400 by their own tables)\n");
        std::printf("  %-10s %5s %5s\n", "item", "read", "used");
        for (int k = 0; k < t.motorItems; ++k)
            std::printf("  %-10s %5d %5d%s\n", iTems[GG0130A1 + k].itemName, t.motorRead[k], t.motorUsed[k],
                        t.motorRead[k] != t.motorUsed[k] ? "  recoded" : "");
        std::printf("  motor score %d, search value %d (10 x score)\n", t.motorSum, t.motorSearchValue);
    }
}

void explain_cmg(const Trace& t) {
    std::printf("\nCMG number\n");
    const int row = t.decisionRow;
    if (!row) {
        std::printf("  no row of the %s decision table for RIC %s fits: CMG number 0000\n",
                    t.item39 ? "item-39" : "Section GG", t.ric);
        return;
    }
    if (t.item39)
        std::printf("  item-39 table row %d: RIC %s, motor %s, cognitive %s, age %s -> CMG %s\n", row, RicCode[row],
                    band(MotLow[row], MotHigh[row], true).c_str(), band(CogLow[row], CogHigh[row], false).c_str(),
                    band(AgeLow[row], AgeHigh[row], false).c_str(), CMG[row]);
    else
        std::printf("  Section GG table row %d: RIC %s, search value %s, age %s -> CMG %s\n", row, RicCode40[row],
                    band(MotLow40[row], MotHigh40[row], false).c_str(), band(AgeLow40[row], AgeHigh40[row], false).c_str(),
                    CMG40[row]);
}

const char* comorbidity_item(int entry) {
    return iTems[entry < 10 ? CMRBD_COND_A_CD + entry : CMRBD_COND_K_CD + entry - 10].itemName;
}

void explain_tier(const char* rec, const Trace& t, const GroupResult& r) {
    const TierTrace& x = t.tier;
    std::printf("\nComorbidity tier\n");
    std::string codes;
    for (int e = 0; e < 25; ++e) {
        std::string v = item_text(rec, e < 10 ? CMRBD_COND_A_CD + e : CMRBD_COND_K_CD + e - 10);
        if (v.find_first_not_of(' ') == std::string::npos) continue;
        codes += "    " + std::string(comorbidity_item(e)) + " (entry " + std::to_string(e) + ") \"" + v + "\"\n";
    }
    std::printf("%s", codes.empty() ? "  no comorbidity code in the record\n" : ("  codes as read:\n" + codes).c_str());
    if (!x.listSingle[0] && !x.ranSingle) {
        std::printf("  no comorbidity pass ran: tier A\n");
    } else {
        std::printf("  lists: single-code %s", x.listSingle);
        if (x.listCombination[0]) std::printf(", combination %s", x.listCombination);
        if (x.listEtiology[0]) std::printf(", etiology %s", x.listEtiology);
        std::printf("\n");
        if (x.endCodeEntry >= 0)
            std::printf("  entry %d (%s) starts with \"^\": the end code; it and every later entry are ignored\n",
                        x.endCodeEntry, comorbidity_item(x.endCodeEntry));
        else if (x.scopeEntries == 10)
            std::printf("  entries 0-9 (R24A-R24J) compared as they stand, \"^\" included; R24K-R24Y not read\n");
        else
            std::printf("  entries 0-24 compared (no end code)\n");
        std::printf("  passes run: %s%s%s\n", x.ranSingle ? "single-code" : "", x.ranCombination ? ", combination" : "",
                    x.ranEtiology ? ", etiology" : "");
        if (x.excludedRowsSkipped)
            std::printf("  %d row%s held a patient code but %s RIC %s in %s exclusion list\n", x.excludedRowsSkipped,
                        x.excludedRowsSkipped == 1 ? "" : "s", x.excludedRowsSkipped == 1 ? "has" : "have", t.ric,
                        x.excludedRowsSkipped == 1 ? "its" : "their");
        for (int i = 0; i < x.excludedPairCount; ++i) {
            const int row = x.excludedPairRows[i];
            std::printf("  combination list %s row %d holds both its codes but is excluded for RIC %s\n",
                        x.listCombination, row, t.ric);
        }
        if (x.flaggedCount) {
            std::printf("  etiology rows flagged (an excluded combination row holds both its codes):");
            for (int i = 0; i < x.flaggedCount && i < 48; ++i) std::printf(" %d", x.flaggedEtiologyRows[i]);
            std::printf("\n");
        }
        const char* passName = x.decidingPass == 's' ? "single-code" : x.decidingPass == 'c' ? "combination" : "etiology";
        const char* listName = x.decidingPass == 's' ? x.listSingle : x.decidingPass == 'c' ? x.listCombination : x.listEtiology;
        if (x.decidingPass) {
            std::printf("  deciding row: %s list %s row %d, code \"%s\"", passName, listName, x.decidingRow, x.decidingCode[0]);
            if (x.decidingCode[1][0]) std::printf(" with \"%s\"", x.decidingCode[1]);
            std::string excl = x.decidingExclusion;
            if (excl.find_first_not_of(' ') == std::string::npos)
                std::printf(", no exclusion list (RIC %s not excluded)\n", t.ric);
            else
                std::printf(", exclusion list \"%s\" (RIC %s not excluded)\n", x.decidingExclusion, t.ric);
        } else {
            std::printf("  no row gave a tier\n");
        }
    }
    char note[256];
    if (const char* n = TierListTally::incomplete_note(r.ruleVersion, note, sizeof note); n[0])
        std::printf("  note: %s\n", n);
    std::printf("  tier %c -> CMG result \"%s\"\n", r.cmgCode[0], r.cmgCode);
}

// Groups one record with the engine's trace on and prints how the result came
// about; where says which record of the input it was ("line 3").
int explain_record(const char* record, const std::string& name, const std::string& where) {
    Trace t;
    GroupResult r;
    r.result = group_record(record, r.cmgCode, &r.returnCode, r.motorScore, &r.cogScore, &r.age, r.ruleVersion,
                            r.grouperRelease, &t);

    std::printf("Record: %s, %s\n", name == "-" ? "standard input" : name.c_str(), where.c_str());
    std::printf("Result %d: %s\n", r.result, result_meaning(r.result));
    std::printf("  CMG \"%s\", motor score \"%s\", cognitive score %d, age %d, rule version \"%s\", grouper release \"%s\"\n",
                r.cmgCode, r.motorScore, r.cogScore, r.age, r.ruleVersion, r.grouperRelease);
    std::printf("  discharge date value %ld: %s\n", t.dischargeValue,
                r.ruleVersion[0] == ' ' ? "in no rule version window" : ("rule version " + std::string(r.ruleVersion)).c_str());

    explain_validation(record, t);
    const int failed = t.failedCheck;
    if (failed == 0 || failed >= 7) explain_age(record, t);
    if (failed == 0 || failed == 9) explain_impairment(t);
    if (failed == 0) {
        explain_scores(t);
        explain_cmg(t);
        explain_tier(record, t, r);
        TierListTally tally;
        tally.count(r.ruleVersion);
        tally.warn(stderr);
    }
    return 0;
}

}  // namespace

int run_explain(const Options& o) {
    const std::string name = o.inputs.empty() ? "-" : o.inputs[0];
    Input in;
    if (!in.open(name)) {
        std::fprintf(stderr, "kestrava: %s\n", in.error().c_str());
        return 1;
    }
    char record[kRecordLength];
    const bool xml = o.format == InputFormat::Xml || (o.format == InputFormat::Auto && in.looks_like_xml());
    if (xml) {
        // The front end builds the record; the engine then groups it with
        // the trace on, as it would have grouped it for CMG_401_XML.
        std::string text;
        in.read_all(text);
        if (in.failed()) {
            std::fprintf(stderr, "kestrava: %s\n", in.error().c_str());
            return 1;
        }
        if (o.explainLine != 1) {
            std::fprintf(stderr, "kestrava: %s holds one XML assessment; --line does not apply\n", name.c_str());
            return 1;
        }
        if (record_from_xml_text(text.c_str(), record) != 0) {
            std::printf("Result 99: %s\n", result_meaning(99));
            return 1;
        }
        return explain_record(record, name, "XML assessment");
    }
    std::vector<LineView> lines;
    long long seen = 0;
    const LineView* line = nullptr;
    while (!line && in.next_lines(lines)) {
        if (seen + static_cast<long long>(lines.size()) >= o.explainLine) line = &lines[o.explainLine - seen - 1];
        else seen += static_cast<long long>(lines.size());
    }
    if (in.failed()) {
        std::fprintf(stderr, "kestrava: %s\n", in.error().c_str());
        return 1;
    }
    if (!line) {
        std::fprintf(stderr, "kestrava: %s has no line %lld\n", name.c_str(), o.explainLine);
        return 1;
    }

    blank_record(record);
    std::memcpy(record, line->data, std::min<std::size_t>(line->size, kRecordLength - 2));
    return explain_record(record, name, "line " + std::to_string(o.explainLine));
}

}  // namespace kestrava::cli
