// Every case of the shared table, grouped through libKestrava's exported
// calls, gives the outputs the table expects. The Windows DLL runs the same
// table (windows/test-under-wine.sh), so both platforms meet one standard.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "case_table.h"
#include "kestrava.h"
#include "record.h"

namespace {

struct Table {
    kc_table t{};
    std::string error;
    Table() {
        char err[512];
        if (kc_load(KESTRAVA_CASES_FILE, &t, err, sizeof err) != 0) error = err;
    }
    ~Table() { kc_free(&t); }
};

const Table& table() {
    static Table t;
    return t;
}

std::vector<int> case_indices() {
    std::vector<int> v;
    for (int i = 0; i < table().t.n_cases; i++) v.push_back(i);
    return v;
}

std::string formatted(const kc_outputs& o) {
    char line[512];
    kc_format(&o, line, sizeof line);
    return line;
}

kc_outputs run(const kc_case& c) {
    kc_outputs o;
    kc_preset(&o);
    static char record[KC_RECORD_LEN];
    static char xml[KC_TEXT_SIZE + 8192];
    switch (c.call) {
    case KC_RECORD:
        if (kc_build_record(&c, record) != 0) ADD_FAILURE() << "unknown item";
        o.result = CMG_401(record, o.cmgCode, &o.returnCode, o.motorScore, &o.cogScore, &o.age,
                           o.ruleVersion, o.grouperRelease);
        break;
    case KC_XML_TEXT:
        kc_build_xml(&c, xml, sizeof xml);
        o.result = CMG_401_XML(xml, o.cmgCode, &o.returnCode, o.motorScore, &o.cogScore, &o.age,
                               o.ruleVersion, o.grouperRelease);
        break;
    case KC_XML_FILE: {
        std::string path = c.path[0] ? c.path : std::string(KESTRAVA_CASES_WORK_DIR) + "/" + c.name + ".xml";
        if (!c.path[0]) {
            kc_build_xml(&c, xml, sizeof xml);
            FILE* f = std::fopen(path.c_str(), "wb");
            EXPECT_NE(f, nullptr) << path;
            if (f) {
                std::fputs(xml, f);
                std::fclose(f);
            }
        }
        o.result = CMG_401_XML_FILE(&path[0], o.cmgCode, &o.returnCode, o.motorScore, &o.cogScore,
                                    &o.age, o.ruleVersion, o.grouperRelease);
        break;
    }
    }
    return o;
}

TEST(GroupingCaseTable, Loads) {
    EXPECT_EQ(table().error, "");
    EXPECT_GT(table().t.n_cases, 0);
}

// The table builds records from its own copy of the item layout (the Windows
// program cannot see the library's); the copy must be the library's exactly.
TEST(GroupingCaseTable, ItemLayoutIsTheLibrarys) {
    ASSERT_EQ(kc_item_count(), kestrava::kItemCount);
    for (int i = 0; i < kestrava::kItemCount; i++) {
        int position = 0, width = 0;
        const char* name = kc_item_name(i, &position, &width);
        EXPECT_STREQ(name, kestrava::iTems[i].itemName) << "item " << i;
        EXPECT_EQ(position, kestrava::iTems[i].position) << name;
        EXPECT_EQ(width, kestrava::iTems[i].width) << name;
    }
}

class GroupingCase : public ::testing::TestWithParam<int> {};

TEST_P(GroupingCase, GivesExpectedOutputs) {
    const kc_case& c = table().t.cases[GetParam()];
    EXPECT_EQ(formatted(run(c)), formatted(c.expect))
        << "case " << c.name << " (grouping_cases.txt line " << c.line << ")";
}

INSTANTIATE_TEST_SUITE_P(Table, GroupingCase, ::testing::ValuesIn(case_indices()),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(table().t.cases[info.param].name);
                         });

}  // namespace
