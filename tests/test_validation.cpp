// Rule versions, validation checks, outputs on each path, the age rule and
// the impairment group lookup.
#include <gtest/gtest.h>

#include <string>

#include "impairment_groups.h"
#include "test_support.h"

using kt::group;
using kt::Record;

namespace {

// Outputs of a rejected record before the age is known.
void expect_rejected(const kt::Result& r, int code, const std::string& rule, int age = 0) {
    EXPECT_EQ(r.result, code);
    EXPECT_EQ(r.returnCode, code);
    EXPECT_EQ(r.cmg, "     ");
    EXPECT_EQ(r.motor, " 0.0");
    EXPECT_EQ(r.cog, 0);
    EXPECT_EQ(r.age, age);
    EXPECT_EQ(r.rule, rule);
    EXPECT_EQ(r.release, "4.01");
}

}  // namespace

TEST(RuleVersion, EveryWindowBoundary) {
    struct Case { const char* discharge; const char* rule; };
    const Case cases[] = {
        {"20100701", "2.40"}, {"20100930", "2.40"}, {"20101001", "2.50"}, {"20110930", "2.50"},
        {"20111001", "2.60"}, {"20140930", "2.60"}, {"20141001", "2.70"}, {"20150930", "2.70"},
        {"20151001", "2.82"}, {"20160930", "2.82"}, {"20161001", "2.90"}, {"20170930", "2.90"},
        {"20171001", "3.00"}, {"20180930", "3.00"}, {"20181001", "3.10"}, {"20190930", "3.10"},
        {"20191001", "4.00"}, {"20200331", "4.00"}, {"20200401", "4.01"}, {"99991231", "4.01"},
        // Values that are no calendar dates fall between windows.
        {"20100931", "    "}, {"20101000", "    "}, {"20200350", "    "}, {"20200400", "    "},
    };
    for (const auto& c : cases) {
        Record r = kt::valid_gg();
        r.set("R12", "20100702").set("R40", c.discharge);
        auto out = group(r);
        EXPECT_EQ(out.rule, c.rule) << c.discharge;
        EXPECT_EQ(out.result, 0) << c.discharge;
        EXPECT_EQ(out.release, "4.01");
    }
}

TEST(RuleVersion, SchemeBoundary) {
    Record r = kt::valid_gg();
    r.set("R12", "20190101").set("R40", "20190930");
    EXPECT_EQ(group(r).motor, "13.4");  // item-39, all items blank
    r.set("R40", "20191001");
    EXPECT_EQ(group(r).motor, "25");    // Section GG, all items blank
    r.set("R40", "20200350");           // in no window, still Section GG
    auto out = group(r);
    EXPECT_EQ(out.motor, "25");
    EXPECT_EQ(out.rule, "    ");
    EXPECT_EQ(out.cmg, "A0106");
}

TEST(Validation, AssessmentSystemCode) {
    struct Case { const char* code; int result; };
    const Case cases[] = {
        {"IRF-PAI   ", 0}, {"  IRF-PAI ", 0}, {"IRF -PAI  ", 0}, {"I R F-PA I", 0},
        {"irf-pai   ", 1}, {"IRFPAI    ", 1}, {"          ", 1}, {"IRF-PAIX  ", 1},
    };
    for (const auto& c : cases) {
        Record r = kt::valid_gg();
        r.set("ASMT_SYS_CD", c.code);
        EXPECT_EQ(group(r).result, c.result) << "'" << c.code << "'";
    }
    Record r = kt::valid_gg();
    r.set("ASMT_SYS_CD", "irf-pai").set("R40", "20150101");
    expect_rejected(group(r), 1, "2.70");
}

TEST(Validation, TransactionTypeThreeOnly) {
    for (const char* t : {"3", " ", "1", "2", "X"}) {
        Record r = kt::valid_gg();
        r.set("TRANS_TYPE_CD", t);
        auto out = group(r);
        if (std::string(t) == "3")
            expect_rejected(out, 2, "4.01");
        else
            EXPECT_EQ(out.result, 0) << t;
    }
}

TEST(Validation, DischargeBeforeFirstVersion) {
    Record r = kt::valid_gg();
    r.set("R12", "20100101").set("R40", "20100630");
    expect_rejected(group(r), 3, "    ");
    r.set("R40", "        ");  // blank reads as 0
    expect_rejected(group(r), 3, "    ");
    r.set("R40", "20100701");
    auto out = group(r);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.rule, "2.40");
}

TEST(Validation, BirthDateAndAge) {
    struct Case { const char* birth; const char* admission; int result; int age; };
    const Case cases[] = {
        {"2020    ", "20200105", 5, 0},       // partial birth date in the admission year
        {"        ", "        ", 5, 0},       // both blank: the blank years are equal
        {"1950    ", "20200105", 0, 69},      // completed to 19500615
        {"19501 15", "20200105", 0, 69},      // single blank in a pair: not completed
        {"20200102", "20200101", 6, 0},
        {"        ", "20200105", 7, 2019},    // completed to "    0615": year 0
        {"19200315", "20200315", 0, 100},     // same month, day not below
        {"18790101", "20200101", 7, 141},
        {"18800101", "20200101", 0, 140},
        {"19500620", "20200615", 0, 69},
        {"19500610", "20200615", 0, 70},
        {"19501201", "20200615", 0, 69},
        {"202002X1", "20200105", 0, -1},      // no blank, value 202002; negative age is kept
        {"19501301", "20201401", 0, 70},      // months are never calendar-checked
    };
    for (const auto& c : cases) {
        Record r = kt::valid_gg();
        r.set("R6", c.birth).set("R12", c.admission);
        auto out = group(r);
        EXPECT_EQ(out.result, c.result) << c.birth << " / " << c.admission;
        EXPECT_EQ(out.returnCode, c.result);
        EXPECT_EQ(out.age, c.age) << c.birth << " / " << c.admission;
        if (c.result != 0) {
            EXPECT_EQ(out.cmg, "     ");
        }
    }
}

TEST(Validation, BlankAdmissionGivesCode6) {
    Record r = kt::valid_gg();
    r.set("R12", "        ");
    expect_rejected(group(r), 6, "4.01");
}

TEST(Validation, ChecksRunInOrder) {
    // Every check fails: the first one decides.
    Record r;
    r.set("TRANS_TYPE_CD", "3").set("R40", "20000101").set("R6", "2020    ").set("R12", "20200101");
    EXPECT_EQ(group(r).result, 1);
    r.set("ASMT_SYS_CD", "IRF-PAI");
    EXPECT_EQ(group(r).result, 2);
    r.set("TRANS_TYPE_CD", "1");
    EXPECT_EQ(group(r).result, 3);
    r.set("R40", "20200510");
    EXPECT_EQ(group(r).result, 5);
}

TEST(ImpairmentGroup, NormalisationAndLookup) {
    struct Case { std::string field; int result; const char* cmg; };  // positions 720..728
    const Case cases[] = {
        {"0004.2211", 0, "A0406"}, {"  04.2211", 0, "A0406"}, {"0009     ", 0, "A1404"},
        {"  0 9    ", 0, "A1404"}, {"0002.1   ", 0, "A0305"}, {"XY01.2   ", 0, "A0106"},
        {"0004.1   ", 9, "     "}, {"04.2211  ", 9, "     "}, {"         ", 9, "     "},
        {"000101   ", 9, "     "}, {"0009.0   ", 9, "     "}, {"0004.21  ", 9, "     "},
        {"0001.2x  ", 9, "     "},
    };
    for (const auto& c : cases) {
        Record r = kt::valid_gg();
        r.at(720, c.field);
        auto out = group(r);
        EXPECT_EQ(out.result, c.result) << "'" << c.field << "'";
        EXPECT_EQ(out.cmg, c.cmg) << "'" << c.field << "'";
        if (c.result == 9) {
            EXPECT_EQ(out.age, 70);  // code 9 keeps the age
        }
    }
}

TEST(ImpairmentGroup, EveryTableCodeYieldsItsRic) {
    for (int k = 1; k <= kestrava::kImpairmentRows; ++k) {
        Record r = kt::valid_gg();
        r.impairment(kestrava::Imp240[k]);
        kestrava::Trace t;
        auto out = group(r, &t);
        ASSERT_EQ(out.result, 0) << kestrava::Imp240[k];
        EXPECT_STREQ(t.ric, kestrava::Ric240[k]);
        EXPECT_EQ(out.cmg.substr(1, 2), kestrava::Ric240[k]);
    }
}

TEST(IntegerConversion, BehavesLikeAtoi) {
    for (const char* s : {"", " ", "12", " 7", "7 ", "-5", "+5", "- ", "--1", "\t42x", "00724", "2020X1",
                          "-", "+", " -0", "99999999"}) {
        EXPECT_EQ(kestrava::to_long(s), std::atol(s)) << "'" << s << "'";
    }
}
