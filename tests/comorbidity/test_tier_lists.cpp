// The generated lists as the stage sees them: names, widths, placeholders,
// completeness per rule version.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "comorbidity.h"
#include "comorbidity_lists.h"

namespace {

using namespace kestrava;

TEST(TierLists, FieldWidthsAndPlaceholders) {
    static_assert(sizeof CmdTier240[0] == 8 && sizeof CmdTier250[0] == 2 && sizeof CmdTier260[0] == 2);
    static_assert(sizeof CmdICD240[0] == 8 && sizeof CmdRIC260[0] == 20);
    static_assert(sizeof CmdTier401s1[0] == 3 && sizeof CmdICD401s1[0] == 9 && sizeof CmdRIC401s1[0] == 21);
    static_assert(sizeof CmdICD300c2 / sizeof CmdICD300c2[0] == 88);
    static_assert(sizeof CmdEflag290s2 / sizeof CmdEflag290s2[0] == 49 && sizeof CmdEflag290s2[0] == 3);
    EXPECT_STREQ(CmdTier240[0], " ");
    EXPECT_STREQ(CmdICD240[0], " ");
    EXPECT_STREQ(CmdRIC240[0], " ");
    EXPECT_STREQ(CmdICD281s1[0], "        ");
    EXPECT_STREQ(CmdRIC281s1[0], " ");
    EXPECT_STREQ(CmdRIC290s1[0], "  ");
    EXPECT_STREQ(CmdRIC401s1[0], "  ");
    EXPECT_STREQ(CmdICD300c1[0], "        ");
    EXPECT_STREQ(CmdEflag290s2[0], " ");
    // Rows the stage relies on, as stored.
    EXPECT_STREQ(CmdICD401s1[6], "Z99.2^^^");
    EXPECT_STREQ(CmdICD240[1], "478.31");
    EXPECT_STREQ(CmdICD300c1[78], "T80.0XXA");
    EXPECT_STREQ(CmdICD300c2[78], "I26.90^^");
    EXPECT_STREQ(CmdRIC300c[1], "03, 05");
    EXPECT_STREQ(CmdICD290c2[42], "K56.60^^");
    EXPECT_EQ(std::memcmp(CmdICD281c1, CmdICD290c1, sizeof CmdICD281c1), 0);
    EXPECT_EQ(std::memcmp(CmdRIC281s2, CmdRIC290s2, sizeof CmdRIC281s2), 0);
    EXPECT_STREQ(CmdICD290s2[48], "T80.0XXA");
}

TEST(TierLists, StatusPerRuleVersion) {
    // Rows of the payer's lists; the bundled rows depend on the data in place.
    const struct {
        const char* version;
        const CmdSingleList& list;
        int expected;
    } cases[] = {
        {"2.40", kCmdList240, 946},     {"2.50", kCmdList250, 951},     {"2.60", kCmdList260, 967},
        {"2.70", kCmdList260, 967},     {"2.82", kCmdList281s1, 1002},  {"2.90", kCmdList290s1, 1156},
        {"3.00", kCmdList300s1, 1157},  {"3.10", kCmdList310s1, 1165},  {"4.00", kCmdList400s1, 1167},
        {"4.01", kCmdList401s1, 1168},
    };
    for (const auto& c : cases) {
        int present = -7, expected = -7;
        const int status = tier_list_status(c.version, &present, &expected);
        EXPECT_EQ(expected, c.expected) << c.version;
        EXPECT_EQ(present, c.list.rows) << c.version;
        EXPECT_GE(present, 24) << c.version;  // at least the tier B and C rows
        EXPECT_LE(present, expected) << c.version;
        EXPECT_EQ(status, present == expected ? 1 : 0) << c.version;
    }
    for (const char* unknown : {"5.00", "", "4.0", "2.70 "}) {
        int present = -7, expected = -7;
        EXPECT_EQ(tier_list_status(unknown, &present, &expected), -1) << unknown;
        EXPECT_EQ(present, 0);
        EXPECT_EQ(expected, 0);
    }
}

TEST(TierLists, EverySingleListIsOrderedAndHoldsNoCodeOfItsPairLists) {
    for (const CmdTableSet& set : kCmdTableSets) {
        const CmdSingleList& l = *set.single;
        for (int r = 2; r <= l.rows; ++r) {
            const int order = std::strcmp(l.tierAt(r - 1), l.tierAt(r));
            EXPECT_TRUE(order < 0 || (order == 0 && std::strcmp(l.codeAt(r - 1), l.codeAt(r)) < 0))
                << l.name << " row " << r;
        }
        if (!set.etiology) continue;
        for (int r = 1; r <= l.rows; ++r)
            for (int e = 1; e <= set.etiology->rows; ++e)
                EXPECT_STRNE(l.codeAt(r), set.etiology->code[e]) << l.name << " row " << r;
    }
}

}  // namespace
