// The comorbidity tier stage through the grouping call: tier priority,
// exclusions, patient code scope and end code, the three passes and their
// etiology flags, rule version windows.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "comorbidity.h"
#include "comorbidity_lists.h"
#include "test_support.h"

namespace {

// A discharge date in each rule version's window.
const std::map<std::string, std::string> kDischarge = {
    {"2.40", "20100801"}, {"2.50", "20110101"}, {"2.60", "20120101"}, {"2.70", "20150101"},
    {"2.82", "20160101"}, {"2.90", "20170101"}, {"3.00", "20180101"}, {"3.10", "20190101"},
    {"4.00", "20200101"}, {"4.01", "20200510"}, {"none", "20200350"}};

// An impairment group of each RIC used here.
const std::map<std::string, std::string> kGroupOfRic = {
    {"01", "01.2"}, {"02", "02.21"}, {"03", "02.1"}, {"04", "04.210"}, {"05", "04.110"},
    {"06", "03.1"}, {"14", "09"}, {"15", "10.1"}};

struct Stay {
    std::string version = "4.01";
    std::string ric = "01";
    std::map<int, std::string> codes;  // entry 0..24 -> code as placed in the record
};

kt::Record record_of(const Stay& s) {
    kt::Record r = kt::valid_gg();
    r.set("R40", kDischarge.at(s.version)).impairment(kGroupOfRic.at(s.ric));
    for (const auto& [entry, code] : s.codes) r.comorbidity(entry, code);
    return r;
}

struct Traced {
    std::string cmg;
    kestrava::TierTrace tier;
};

Traced group_stay(const Stay& s) {
    kestrava::Trace trace;
    const kt::Result out = kt::group(record_of(s), &trace);
    EXPECT_EQ(out.result, 0);
    return {out.cmg, trace.tier};
}

struct TierCase {
    const char* what;
    Stay stay;
    char tier;
    char pass;      // 's', 'c', 'e', or 0 when no list gives the tier
    int row;        // deciding row
    std::set<int> flagged;  // etiology rows flagged by excluded combinations
};

void check(const TierCase& c) {
    SCOPED_TRACE(c.what);
    const Traced t = group_stay(c.stay);
    ASSERT_EQ(t.cmg.size(), 5u);
    EXPECT_EQ(t.cmg[0], c.tier);
    EXPECT_EQ(t.tier.tier, c.tier);
    EXPECT_EQ(t.tier.decidingPass, c.pass);
    EXPECT_EQ(t.tier.decidingRow, c.row);
    EXPECT_EQ(std::set<int>(t.tier.flaggedEtiologyRows, t.tier.flaggedEtiologyRows + t.tier.flaggedCount),
              c.flagged);
}

TEST(TierStage, SingleCodePassPriorityAndExclusions) {
    const TierCase cases[] = {
        {"no code at all", {}, 'A', 0, 0, {}},
        {"Z99.2 gives B", {"4.01", "15", {{0, "Z99.2^^^"}}}, 'B', 's', 6, {}},
        {"J38.01 excluded for RIC 15", {"4.01", "15", {{0, "J38.01^^"}}}, 'A', 0, 0, {}},
        {"J38.01 for RIC 01", {"4.01", "01", {{0, "J38.01^^"}}}, 'B', 's', 1, {}},
        {"R13.0 for RIC 02", {"4.01", "02", {{0, "R13.0^^^"}}}, 'C', 's', 18, {}},
        {"R13.0 excluded for RIC 01", {"4.01", "01", {{0, "R13.0^^^"}}}, 'A', 0, 0, {}},
        {"R13.0 and K91.2, RIC 01", {"4.01", "01", {{0, "R13.0^^^"}, {1, "K91.2^^^"}}}, 'C', 's', 17, {}},
        {"R13.0 and K91.2, RIC 02", {"4.01", "02", {{0, "R13.0^^^"}, {1, "K91.2^^^"}}}, 'C', 's', 17, {}},
        {"a C code before a B code", {"4.01", "02", {{0, "R13.0^^^"}, {5, "Z99.2^^^"}}}, 'B', 's', 6, {}},
        {"3.00: Z99.2 before A04.8", {"3.00", "01", {{0, "A04.8^^^"}, {1, "Z99.2^^^"}}}, 'B', 's', 6, {}},
        {"D row kept by the changes", {"4.01", "01", {{3, "K55.011^"}}}, 'D', 's', 0, {}},
        {"trailing-blank exclusion list excludes RIC 03", {"4.01", "03", {{0, "I60.00^^"}}}, 'A', 0, 0, {}},
        {"trailing-blank exclusion list, RIC 04", {"4.01", "04", {{0, "I60.00^^"}}}, 'D', 's', 0, {}},
        {"2.82 list without the trailing blank, RIC 03", {"2.82", "03", {{0, "I60.00^^"}}}, 'A', 0, 0, {}},
        {"ICD-9: 478.31 excluded for RIC 15", {"2.60", "15", {{0, "478.31"}}}, 'A', 0, 0, {}},
        {"ICD-9: 438.82 for RIC 02", {"2.60", "02", {{0, "438.82"}}}, 'C', 's', 12, {}},
    };
    for (const auto& c : cases) {
        if (c.row == 0 && c.pass == 's') {
            // Rows past the B and C rows move as lists gain rows; check tier and pass only.
            SCOPED_TRACE(c.what);
            const Traced t = group_stay(c.stay);
            EXPECT_EQ(t.cmg[0], c.tier);
            EXPECT_EQ(t.tier.decidingPass, 's');
            EXPECT_GT(t.tier.decidingRow, 24);
            continue;
        }
        check(c);
    }
}

TEST(TierStage, ZeroNinetyNineInEveryItem) {
    for (int entry = 0; entry < kestrava::kComorbidityEntries; ++entry) {
        Stay s{"4.01", "15", {{entry, "Z99.2^^^"}}};
        EXPECT_EQ(group_stay(s).cmg[0], 'B') << "entry " << entry;
    }
}

TEST(TierStage, CombinationAndEtiologyPasses) {
    const TierCase cases[] = {
        {"E11.21 + E11.65, RIC 05", {"4.01", "05", {{0, "E11.21^^"}, {1, "E11.65^^"}}}, 'D', 'c', 25, {}},
        {"E11.65 + E11.21 far apart", {"4.01", "05", {{3, "E11.65^^"}, {20, "E11.21^^"}}}, 'D', 'c', 25, {}},
        {"E11.40 + E11.65, RIC 06: excluded pair blocks etiology",
         {"4.01", "06", {{0, "E11.40^^"}, {1, "E11.65^^"}}}, 'A', 0, 0, {27, 29}},
        {"E11.65 alone, RIC 06", {"4.01", "06", {{0, "E11.65^^"}}}, 'D', 'e', 29, {}},
        {"E11.40 + E11.65, RIC 05", {"4.01", "05", {{0, "E11.40^^"}, {1, "E11.65^^"}}}, 'D', 'c', 35, {}},
        {"T80.0XXA + I26.90, RIC 15", {"4.01", "15", {{0, "T80.0XXA"}, {1, "I26.90^^"}}}, 'A', 0, 0, {32, 48}},
        {"T80.0XXA alone, RIC 15", {"4.01", "15", {{0, "T80.0XXA"}}}, 'D', 'e', 48, {}},
        {"T80.0XXA + I26.90, RIC 03", {"4.01", "03", {{0, "T80.0XXA"}, {1, "I26.90^^"}}}, 'D', 'c', 78, {}},
        {"T80.0XXA alone, RIC 03", {"4.01", "03", {{0, "T80.0XXA"}}}, 'A', 0, 0, {}},
        {"B39.4 + G02, RIC 05", {"4.01", "05", {{0, "B39.4^^^"}, {1, "G02.^^^^"}}}, 'A', 0, 0, {1, 31}},
        {"B39.4 + G02, RIC 15", {"4.01", "15", {{0, "B39.4^^^"}, {1, "G02.^^^^"}}}, 'D', 'c', 1, {}},
        {"B39.4 + J17 (no such pair), RIC 05", {"4.01", "05", {{0, "B39.4^^^"}, {1, "J17.^^^^"}}}, 'D', 'e', 1, {}},
        {"B39.4 + J17, RIC 15", {"4.01", "15", {{0, "B39.4^^^"}, {1, "J17.^^^^"}}}, 'A', 0, 0, {}},
        {"B39.5 + J17, RIC 01: last qualifying row stands",
         {"4.01", "01", {{0, "B39.5^^^"}, {1, "J17.^^^^"}, {2, "H32.^^^^"}}}, 'D', 'c', 9, {}},
        {"single-code row wins over a pair", {"4.01", "05", {{0, "E11.21^^"}, {1, "E11.65^^"}, {2, "R13.0^^^"}}},
         'C', 's', 18, {}},
        {"3.00 pairs K25.0 with K56.600", {"3.00", "01", {{0, "K25.0^^^"}, {1, "K56.600^"}}}, 'D', 'c', 42, {}},
        {"2.90 pairs K25.0 with K56.60", {"2.90", "01", {{0, "K25.0^^^"}, {1, "K56.60^^"}}}, 'D', 'c', 42, {}},
        {"2.82 with the 3.00 second code: etiology row", {"2.82", "01", {{0, "K25.0^^^"}, {1, "K56.600^"}}},
         'D', 'e', 36, {}},
        {"E08.8 + E08.65, RIC 01", {"2.82", "01", {{0, "E08.8^^^"}, {1, "E08.65^^"}}}, 'D', 'c', 23, {}},
        {"H32 alone is in no list", {"4.01", "01", {{0, "H32.^^^^"}}}, 'A', 0, 0, {}},
    };
    for (const auto& c : cases) check(c);
}

TEST(TierStage, TraceNamesTheExcludedPairsBehindEtiologyFlags) {
    struct Case { Stay stay; std::set<int> excludedPairs; };
    const Case cases[] = {
        {{"4.01", "15", {{0, "T80.0XXA"}, {1, "I26.90^^"}}}, {78}},
        {{"4.01", "05", {{0, "B39.4^^^"}, {1, "G02.^^^^"}}}, {1}},
        {{"4.01", "15", {{0, "B39.5^^^"}, {1, "J17.^^^^"}, {2, "B39.9^^^"}}}, {9, 14}},
        {{"4.01", "03", {{0, "T80.0XXA"}, {1, "I26.90^^"}}}, {}},  // pair applies: nothing excluded
    };
    for (const auto& c : cases) {
        const Traced t = group_stay(c.stay);
        EXPECT_EQ(std::set<int>(t.tier.excludedPairRows, t.tier.excludedPairRows + t.tier.excludedPairCount),
                  c.excludedPairs)
            << c.stay.codes.at(0);
    }
}

TEST(TierStage, PatientCodeScopeAndEndCode) {
    const TierCase cases[] = {
        {"end code in entry 0 ends the list", {"4.01", "01", {{0, "^^^^^^^^"}, {1, "Z99.2^^^"}}}, 'A', 0, 0, {}},
        {"blank entry 0 does not", {"4.01", "01", {{0, "        "}, {1, "Z99.2^^^"}}}, 'B', 's', 6, {}},
        {"end code after the code", {"4.01", "01", {{0, "Z99.2^^^"}, {1, "^^^^^^^^"}}}, 'B', 's', 6, {}},
        {"a single ^ is an end code", {"4.01", "01", {{2, "^"}, {3, "Z99.2^^^"}}}, 'A', 0, 0, {}},
        {"end code splits a pair", {"4.01", "05", {{0, "E11.21^^"}, {1, "^^^^^^^^"}, {2, "E11.65^^"}}},
         'D', 'e', 22, {}},
        {"end code hides the etiology code", {"4.01", "06", {{0, "^^^^^^^^"}, {1, "E11.65^^"}}}, 'A', 0, 0, {}},
        {"2.60 compares past ^", {"2.60", "01", {{0, "^^^^^^^^"}, {1, "V44.0"}}}, 'B', 's', 6, {}},
        {"2.60 ignores entry 10", {"2.60", "01", {{10, "V44.0"}}}, 'A', 0, 0, {}},
        {"2.70 takes entry 10", {"2.70", "01", {{10, "V44.0"}}}, 'B', 's', 6, {}},
        {"2.70 stops at ^", {"2.70", "01", {{0, "^^^^^^^^"}, {1, "V44.0"}}}, 'A', 0, 0, {}},
        {"2.40 entry 9 counts", {"2.40", "01", {{9, "V55.0"}}}, 'B', 's', 8, {}},
    };
    for (const auto& c : cases) check(c);

    Stay s{"4.01", "01", {{4, "^^^^^^^^"}}};
    const auto t = group_stay(s).tier;
    EXPECT_EQ(t.endCodeEntry, 4);
    EXPECT_EQ(t.scopeEntries, 4);
    EXPECT_EQ(group_stay(Stay{"2.50", "01", {{4, "^^^^^^^^"}}}).tier.scopeEntries, 10);
    EXPECT_EQ(group_stay(Stay{"2.50", "01", {{4, "^^^^^^^^"}}}).tier.endCodeEntry, -1);
}

TEST(TierStage, CodesMatchOnlyAsStoredAfterBlankRemoval) {
    const struct {
        const char* version;
        const char* code;
        char tier;
    } cases[] = {
        {"4.01", "Z99.2^^^", 'B'}, {"4.01", "z99.2^^^", 'A'}, {"4.01", "Z99.2", 'A'},
        {"4.01", "Z992^^^^", 'A'}, {"4.01", "Z99.2^^ ", 'A'}, {"4.01", "Z99.2^^", 'A'},
        {"4.01", "V44.0", 'A'},    {"2.60", "V44.0   ", 'B'}, {"2.60", " V44.0  ", 'B'},
        {"2.60", "V4 4.0", 'B'},   {"2.60", "v44.0", 'A'},    {"2.60", "V440", 'A'},
        {"2.60", "430", 'A'},      {"2.60", "Z99.2^^^", 'A'}, {"2.82", "478.31", 'A'},
    };
    for (const auto& c : cases) {
        Stay s{c.version, "01", {{0, c.code}}};
        EXPECT_EQ(group_stay(s).cmg[0], c.tier) << c.version << " \"" << c.code << "\"";
    }
}

TEST(TierStage, RuleVersionWindowsSelectTheirLists) {
    // Rows that only some versions hold, per the changes between versions.
    const struct {
        const char* code;
        const char* ric;
        std::map<std::string, char> tiers;
    } cases[] = {
        {"488.0", "01", {{"2.40", 'D'}, {"2.50", 'A'}, {"2.60", 'A'}}},
        {"488.01", "01", {{"2.40", 'A'}, {"2.50", 'D'}, {"2.60", 'D'}, {"2.70", 'D'}}},
        {"780.66", "15", {{"2.40", 'A'}, {"2.50", 'D'}}},
        {"284.1", "01", {{"2.40", 'D'}, {"2.50", 'D'}, {"2.60", 'A'}}},
        {"998.02", "01", {{"2.50", 'A'}, {"2.60", 'D'}, {"2.70", 'D'}, {"2.82", 'A'}}},
        {"A04.7^^^", "01", {{"2.82", 'C'}, {"2.90", 'C'}, {"3.00", 'A'}}},
        {"A04.71^^", "01", {{"2.90", 'A'}, {"3.00", 'C'}, {"4.01", 'C'}}},
        {"E08.321^", "01", {{"2.82", 'D'}, {"2.90", 'A'}}},
        {"E08.3211", "01", {{"2.82", 'A'}, {"2.90", 'D'}, {"4.01", 'D'}}},
        {"I63.013^", "01", {{"2.90", 'A'}}},
        {"I63.013^", "02", {{"2.82", 'A'}, {"2.90", 'D'}}},
        {"I63.8^^^", "02", {{"2.82", 'D'}, {"3.00", 'D'}, {"3.10", 'A'}}},
        {"T81.41XA", "01", {{"3.00", 'A'}, {"3.10", 'D'}}},
        {"I26.93^^", "01", {{"3.10", 'A'}, {"4.00", 'D'}}},
        {"I26.93^^", "15", {{"4.00", 'A'}}},
        {"U07.1^^^", "01", {{"4.00", 'A'}, {"4.01", 'D'}}},
        {"Z99.2^^^", "01", {{"none", 'A'}, {"2.82", 'B'}}},
    };
    for (const auto& c : cases)
        for (const auto& [version, tier] : c.tiers) {
            Stay s{version, c.ric, {{0, c.code}}};
            EXPECT_EQ(group_stay(s).cmg[0], tier) << c.code << " RIC " << c.ric << " under " << version;
        }
    // A discharge value in no window runs no pass.
    Traced t = group_stay(Stay{"none", "01", {{0, "Z99.2^^^"}}});
    EXPECT_FALSE(t.tier.ranSingle);
    EXPECT_STREQ(t.tier.listSingle, "");
}

TEST(TierStage, EtiologyFlagsNeverCarryOver) {
    // The first call flags etiology rows 32 and 48 for RIC 15; the second,
    // in the same window, must not see them.
    EXPECT_EQ(group_stay(Stay{"4.01", "15", {{0, "T80.0XXA"}, {1, "I26.90^^"}}}).cmg[0], 'A');
    EXPECT_EQ(group_stay(Stay{"4.01", "01", {{0, "T80.0XXA"}}}).cmg[0], 'D');
    EXPECT_EQ(group_stay(Stay{"3.00", "06", {{0, "E11.40^^"}, {1, "E11.65^^"}}}).cmg[0], 'A');
    EXPECT_EQ(group_stay(Stay{"3.00", "06", {{0, "E11.65^^"}}}).cmg[0], 'D');
    EXPECT_EQ(group_stay(Stay{"2.82", "05", {{0, "B39.4^^^"}, {1, "G02.^^^^"}}}).cmg[0], 'A');
    EXPECT_EQ(group_stay(Stay{"2.82", "05", {{0, "B39.4^^^"}}}).cmg[0], 'D');
    // The shared flag columns keep their built values.
    for (int r = 1; r <= kestrava::kCmdEtiologyRows; ++r) {
        EXPECT_STREQ(kestrava::CmdEflag290s2[r], "0");
        EXPECT_STREQ(kestrava::CmdEflag281s2[r], "0");
    }
}

TEST(TierStage, TierLetterOnBothSchemesAndOnCmgZero) {
    // Negative age: no decision row fits, CMG "0000".
    kt::Record r = record_of(Stay{"4.01", "01", {{0, "Z99.2^^^"}}});
    r.set("R6", "202002X1");
    EXPECT_EQ(kt::group(r).cmg, "B0000");
    // Item-39 scheme: the tier letter heads the item-39 CMG.
    kt::Record i39 = kt::valid_item39();
    i39.comorbidity(0, "V44.0");
    kt::Record plain = kt::valid_item39();
    const std::string cmg = kt::group(plain).cmg;
    EXPECT_EQ(kt::group(i39).cmg, "B" + cmg.substr(1));
}

TEST(ExclusionTest, ListsAsStored) {
    using kestrava::ric_excluded;
    const struct {
        const char* list;
        bool icd10;
        const char* ric;
        bool excluded;
    } cases[] = {
        {" ", true, "01", false},           {" 01", true, "01", false},
        {"15", true, "15", true},           {"15", true, "01", false},
        {"03, 05", true, "05", true},       {"03, 05", true, "03", true},
        {"03, 05", true, "30", false},      {"01, 02, 03 ", true, "03", true},
        {"01, 02, 03", true, "03", true},   {"01, 02, 03 ", true, "04", false},
        {"09, 10, 11", true, "10", true},   {"03,05", false, "05", true},
        {"09,10,11", false, "11", true},    {"09,10,11", false, "1", false},
        {",,03,", false, "03", true},       {"01,02", false, "01,02", false},
        {"03, 05", false, "05", false},  // ICD-9 lists are split as stored: the piece is " 05"
    };
    for (const auto& c : cases)
        EXPECT_EQ(ric_excluded(c.list, c.icd10, c.ric), c.excluded)
            << "\"" << c.list << "\" icd10=" << c.icd10 << " RIC " << c.ric;
}

}  // namespace
