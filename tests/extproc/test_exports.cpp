// The six calls kestrava_db exports with C++ linkage, resolved by their
// encoded names from the loaded library: each must do what the engine or XML
// front end it stands for does.
#include <gtest/gtest.h>

#include <string>

#include "oci_host.h"
#include "test_support.h"
#include "xml_frontend.h"

namespace {

using GroupFn = int (*)(char*, char*, int*, char*, int*, int*, char*, char*);
using FieldFn = void (*)(char*, char*, int, int);
using TrimFn = void (*)(char*);

template <typename Fn>
Fn exported(const char* name) {
    return reinterpret_cast<Fn>(ocihost::library_symbol(name));
}

struct Outputs {
    char cmg[6] = "ZZZZZ", motor[7] = "ZZZZZZ", rule[5] = "ZZZZ", release[5] = "ZZZZ";
    int rc = -7777, cog = -7777, age = -7777;
    kt::Result as_result(int result) const { return {result, rc, cmg, motor, rule, release, cog, age}; }
};

kt::Result via(GroupFn fn, char* input) {
    Outputs o;
    const int result = fn(input, o.cmg, &o.rc, o.motor, &o.cog, &o.age, o.rule, o.release);
    return o.as_result(result);
}

kt::Result via_front_end(int (*fn)(const char*, char*, int*, char*, int*, int*, char*, char*),
                         const char* input) {
    Outputs o;
    const int result = fn(input, o.cmg, &o.rc, o.motor, &o.cog, &o.age, o.rule, o.release);
    return o.as_result(result);
}

TEST(DbExports, GroupingCallsMatchTheEngineAndFrontEnds) {
    auto cmg401 = exported<GroupFn>("_Z7CMG_401PcS_PiS_S0_S0_S_S_");
    kt::Record rejected = kt::valid_gg();
    rejected.set("TRANS_TYPE_CD", "3");
    for (kt::Record rec : {kt::valid_gg(), kt::valid_item39(), rejected})
        EXPECT_EQ(via(cmg401, rec.buf), kt::group(rec));

    auto xml = exported<GroupFn>("_Z11CMG_401_XMLPcS_PiS_S0_S0_S_S_");
    for (std::string doc : {"<ASSESSMENT><ASMT_SYS_CD>IRF-PAI</ASMT_SYS_CD><TRANS_TYPE_CD>1</TRANS_TYPE_CD>"
                            "<R6>19491215</R6><R12>20200101</R12><R40>20200510</R40></ASSESSMENT>",
                            "<ASSESSMENT><unclosed>"}) {
        SCOPED_TRACE(doc);
        EXPECT_EQ(via(xml, doc.data()), via_front_end(kestrava::group_xml_text, doc.c_str()));
    }

    auto xmlFile = exported<GroupFn>("_Z16CMG_401_XML_FILEPcS_PiS_S0_S0_S_S_");
    std::string missing = "/nonexistent/kestrava/assessment.xml";
    EXPECT_EQ(via(xmlFile, missing.data()), via_front_end(kestrava::group_xml_file, missing.c_str()));
}

TEST(DbExports, RecordRoutines) {
    auto fillRecord = exported<FieldFn>("_Z10FillRecordPcS_ii");
    auto fillData = exported<FieldFn>("_Z8FillDataPcS_ii");
    auto trim = exported<TrimFn>("_Z10Trim_CMRBDPc");

    kt::Record rec;
    char value[] = "IRF-PAI";
    fillRecord(rec.buf, value, 1, 7);
    EXPECT_EQ(std::string(rec.buf, 10), "IRF-PAI   ");

    char field[11];
    fillData(rec.buf, field, 1, 10);
    EXPECT_EQ(std::string(field), "IRF-PAI   ");

    char code[9] = "478.31  ";
    trim(code);
    EXPECT_EQ(std::string(code), "478.31");
}

}  // namespace
