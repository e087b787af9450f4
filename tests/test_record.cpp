// The record routines and the item table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "test_support.h"

using namespace kestrava;

TEST(ItemTable, AscendingAndNonOverlappingWithinTheGroupedPart) {
    EXPECT_STREQ(iTems[0].itemName, "ASMT_SYS_CD");
    EXPECT_STREQ(iTems[kItemCount - 1].itemName, "H0400");
    EXPECT_EQ(iTems[kItemCount - 1].position, kRecordReadLength);
    for (int i = 1; i < kItemCount; ++i) {
        EXPECT_GE(iTems[i].position, iTems[i - 1].position + iTems[i - 1].width) << iTems[i].itemName;
        EXPECT_LT(std::strlen(iTems[i].itemName), 16u);
    }
    // R21A keeps 8 in the table although grouping reads 9.
    EXPECT_EQ(iTems[IMPRMNT_GRP_ADMSN_CD].position, 720);
    EXPECT_EQ(iTems[IMPRMNT_GRP_ADMSN_CD].width, 8);
    // The regular spacings of the comorbidity and Section GG items.
    for (int k = 0; k < 10; ++k) EXPECT_EQ(iTems[CMRBD_COND_A_CD + k].position, 754 + 8 * k);
    for (int k = 0; k < 15; ++k) EXPECT_EQ(iTems[CMRBD_COND_K_CD + k].position, 1132 + 8 * k);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(iTems[GG0130A1 + k].position, 1462 + 6 * k);
    EXPECT_STREQ(iTems[DSCHGR_DT].itemName, "R40");
    EXPECT_STREQ(iTems[MEMRY_ADMSN_CD].itemName, "R39RA");
}

TEST(RecordRoutines, FillRecordCopiesExactlyLengthBytesWithoutTerminator) {
    kt::Record r;
    char value[] = "IRF-PAI";
    FillRecord(r.buf, value, 1, 7);
    EXPECT_EQ(std::string(r.buf, 11), "IRF-PAI    ");
    char withNul[] = {'A', '\0', 'B'};
    FillRecord(r.buf, withNul, 20, 3);
    EXPECT_EQ(std::string(r.buf + 19, 4), std::string("A\0B ", 4));
    EXPECT_EQ(r.buf[2784], '%');
    EXPECT_EQ(r.buf[2785], '\0');
}

TEST(RecordRoutines, FillDataTerminatesAndKeepsBlanks) {
    kt::Record r;
    char field[10];
    FillData(r.buf, field, 996, 8);
    EXPECT_STREQ(field, "        ");  // an absent date is 8 blanks, not empty
    FillData(r.buf, field, 996, 0);
    EXPECT_STREQ(field, "");
    r.set("R40", "20191001");
    FillData(r.buf, field, 996, 8);
    EXPECT_STREQ(field, "20191001");
}

TEST(RecordRoutines, TrimCMRBD) {
    struct Case { std::string in, out; };
    const Case cases[] = {
        {"478.31  ", "478.31"},
        {"4 78.3 1", "478.31"},
        {"        ", ""},
        {"J38.01^^", "J38.01^^"},
        {std::string("J3 \0X.01", 8), "J3"},  // a NUL ends the result even with non-blanks after it
    };
    for (const auto& c : cases) {
        char code[9] = {};
        std::memcpy(code, c.in.data(), 8);
        Trim_CMRBD(code);
        EXPECT_STREQ(code, c.out.c_str()) << "input '" << c.in << "'";
    }
}

TEST(RecordRoutines, BlankRecordHasEndMarker) {
    char rec[kRecordLength];
    std::memset(rec, 'x', sizeof rec);
    blank_record(rec);
    EXPECT_EQ(std::string(rec, 2784), std::string(2784, ' '));
    EXPECT_EQ(rec[2784], '%');
    EXPECT_EQ(rec[2785], '\0');
}
