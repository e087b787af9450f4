// Runs the built kestrava tool on small inputs and checks what it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "xml_frontend.h"

namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

class Tool : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kestrava-cli-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    std::string write(const std::string& name, const std::string& content) const {
        std::ofstream(path(name), std::ios::binary) << content;
        return path(name);
    }

    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Runs the tool in the test directory; args are passed to the shell as
    // they are.
    ToolRun run(const std::string& args, const std::string& stdinFile = "/dev/null") const {
        std::string cmd = "cd '" + dir_ + "' && '" KESTRAVA_TOOL "' " + args + " <'" + stdinFile + "' >'" +
                          path("stdout") + "' 2>'" + path("stderr") + "'";
        int rc = std::system(cmd.c_str());
        return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, read(path("stdout")), read(path("stderr"))};
    }

    std::string dir_;
};

std::string line_of(const kt::Record& r) {
    std::string s(r.buf, kestrava::kRecordReadLength);
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream s(text);
    for (std::string l; std::getline(s, l);) out.push_back(l);
    return out;
}

#define EXPECT_PREFIX(text, prefix) EXPECT_EQ((text).substr(0, std::string(prefix).size()), prefix)

kt::Record with_codes(kt::Record r, std::initializer_list<const char*> codes) {
    int e = 0;
    for (const char* c : codes) r.comorbidity(e++, c);
    return r;
}

TEST_F(Tool, WritesCsvAndJsonLines) {
    kt::Record gg = with_codes(kt::valid_gg(), {"Z99.2^^^"});
    kt::Record bad = kt::valid_gg();
    bad.set("TRANS_TYPE_CD", "3");
    write("in.txt", line_of(gg) + "\n" + line_of(bad) + "\n");
    const std::string cmg = kt::group(gg).cmg;

    ToolRun csv = run("in.txt");
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.out,
              "input,line,result,cmgCode,returnCode,motorScore,cogScore,age,ruleVersion,grouperRelease,meaning\n"
              "\"in.txt\",1,0,\"" + cmg + "\",0,\"25\",0,70,\"4.01\",\"4.01\",\"grouped\"\n"
              "\"in.txt\",2,2,\"     \",2,\" 0.0\",0,0,\"4.01\",\"4.01\",\"transaction type code is 3\"\n");

    ToolRun jsonl = run("group --output jsonl --no-header in.txt");
    EXPECT_EQ(jsonl.status, 0);
    EXPECT_EQ(jsonl.out,
              "{\"input\":\"in.txt\",\"line\":1,\"result\":0,\"cmgCode\":\"" + cmg +
                  "\",\"returnCode\":0,\"motorScore\":\"25\",\"cogScore\":0,\"age\":70,\"ruleVersion\":\"4.01\","
                  "\"grouperRelease\":\"4.01\",\"meaning\":\"grouped\"}\n"
                  "{\"input\":\"in.txt\",\"line\":2,\"result\":2,\"cmgCode\":\"     \",\"returnCode\":2,"
                  "\"motorScore\":\" 0.0\",\"cogScore\":0,\"age\":0,\"ruleVersion\":\"4.01\","
                  "\"grouperRelease\":\"4.01\",\"meaning\":\"transaction type code is 3\"}\n");
}

TEST_F(Tool, ReadsCrShortAndUnterminatedLinesFromFilesAndStdin) {
    kt::Record item39 = kt::valid_item39();  // ends well before position 1615
    const std::string a = line_of(item39), b = line_of(kt::valid_gg());
    ASSERT_LT(a.size(), 1100u);
    write("crlf.txt", a + "\r\n" + b + "\r\n");
    write("stdin.txt", b + "\n\n" + a);  // an empty line, and no final newline
    ToolRun r = run("crlf.txt - crlf.txt", path("stdin.txt"));
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> rows = lines(r.out);
    ASSERT_EQ(rows.size(), 8u) << r.out;
    const std::string item39Cmg = kt::group(item39).cmg, ggCmg = kt::group(kt::valid_gg()).cmg;
    EXPECT_PREFIX(rows[1], "\"crlf.txt\",1,0,\"" + item39Cmg + "\",0,");
    EXPECT_PREFIX(rows[2], "\"crlf.txt\",2,0,\"" + ggCmg + "\",0,");
    EXPECT_PREFIX(rows[3], "\"-\",1,0,\"" + ggCmg + "\",0,");
    EXPECT_PREFIX(rows[4], "\"-\",2,1,\"     \",1,");  // the empty line is a blank record
    EXPECT_PREFIX(rows[5], "\"-\",3,0,\"" + item39Cmg + "\",0,");
    EXPECT_PREFIX(rows[6], "\"crlf.txt\",1,0");
}

TEST_F(Tool, AnUnreadableInputFailsTheRunButNotTheOtherInputs) {
    const std::string rec = line_of(kt::valid_gg());
    write("a.txt", rec + "\n");
    write("c.txt", rec + "\n" + rec + "\n");
    ToolRun r = run("a.txt missing.txt . c.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.txt"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("cannot read ."), std::string::npos) << r.err;  // a directory
    std::vector<std::string> rows = lines(r.out);
    ASSERT_EQ(rows.size(), 4u) << r.out;
    EXPECT_PREFIX(rows[1], "\"a.txt\",1,0,");
    EXPECT_PREFIX(rows[3], "\"c.txt\",2,0,");
}

// Varied records (both schemes, rejections, comorbidity codes) over more than
// one read buffer: every thread count gives the same bytes, in input order,
// and each row is what the engine gives for that record.
TEST_F(Tool, ThreadCountsGiveIdenticalOutputInInputOrder) {
    std::mt19937 rnd(401);
    const char* codes[] = {"Z99.2^^^", "J38.01^^", "R13.0^^^", "K91.2^^^", "E11.21^^", "E11.65^^",
                           "E11.40^^", "T80.0XXA", "I26.90^^", "B39.4^^^", "V44.0",    "^^^^^^^^"};
    const char* groups[] = {"01.2", "04.110", "05.1", "06.1", "09", "04.1", "14.1"};
    const char* discharges[] = {"20100630", "20101115", "20150510", "20170305", "20191201", "20200510"};
    std::string input;
    std::vector<std::string> expected;
    const int n = 7000;  // about 10 MB: more than one read buffer
    for (int i = 0; i < n; ++i) {
        kt::Record r = kt::valid_gg();
        r.set("R40", discharges[rnd() % 6]).impairment(groups[rnd() % 7]);
        r.set("R12", std::string(r.buf + 995, 4) + "0101");
        for (int k = 0; k < 18; ++k) r.at(1462 + 6 * k, std::to_string(rnd() % 9));
        for (int e = 0, m = rnd() % 5; e < m; ++e) r.comorbidity(rnd() % 25, codes[rnd() % 12]);
        if (rnd() % 50 == 0) r.set("ASMT_SYS_CD", "IRF PAX");
        input += line_of(r) + "\n";
        kt::Result g = kt::group(r);
        expected.push_back("\"in.txt\"," + std::to_string(i + 1) + "," + std::to_string(g.result) + ",\"" + g.cmg +
                           "\"," + std::to_string(g.returnCode) + ",\"" + g.motor + "\"," + std::to_string(g.cog) +
                           "," + std::to_string(g.age) + ",");
    }
    write("in.txt", input);
    ToolRun one = run("--threads 1 in.txt");
    ToolRun four = run("--threads 4 in.txt");
    ASSERT_EQ(one.status, 0);
    EXPECT_TRUE(one.out == four.out) << "outputs of 1 and 4 threads differ";
    std::vector<std::string> rows = lines(four.out);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(n + 1));
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(rows[i + 1].substr(0, expected[i].size()), expected[i]) << "record " << i + 1;
}

TEST_F(Tool, DetectsXmlAssessmentsAndKeepsFrontEndDiagnosticsOffTheResults) {
    const std::string doc =
        "<?xml version=\"1.0\"?>\n<ASSESSMENT>\n <ASMT_SYS_CD>IRF-PAI</ASMT_SYS_CD>\n"
        " <TRANS_TYPE_CD>1</TRANS_TYPE_CD>\n <R6>19491215</R6>\n <R12>20200101</R12>\n"
        " <R40>20200510</R40>\n <R21A>0001.2</R21A>\n</ASSESSMENT>\n";
    write("a.xml", doc);
    write("broken.xml", "<ASSESSMENT><R40>");
    char cmg[6] = "", motor[7] = "", rule[5] = "", release[5] = "";
    int rc = -1, cog = -1, age = -1;
    const int result = kestrava::group_xml_text(doc.c_str(), cmg, &rc, motor, &cog, &age, rule, release);

    ToolRun r = run("a.xml broken.xml");
    std::vector<std::string> rows = lines(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;  // one row per document, no diagnostic among them
    EXPECT_PREFIX(rows[1], "\"a.xml\",1," + std::to_string(result) + ",");
    if (result != 99) {
        EXPECT_NE(rows[1].find(std::string("\"") + cmg + "\""), std::string::npos) << rows[1];
    }
    EXPECT_PREFIX(rows[2], "\"broken.xml\",1,99,\"\",99,\"\",");

    // Standard input is detected the same way.
    EXPECT_PREFIX(lines(run("-", path("a.xml")).out).at(1), "\"-\",1," + std::to_string(result) + ",");
    // Forced to records, the same file is nine lines of bad records.
    EXPECT_EQ(lines(run("--format records a.xml").out).size(), 10u);
}

TEST_F(Tool, ExplainsAnXmlAssessmentThroughTheFrontEndsRecord) {
    write("a.xml",
          "<ASSESSMENT><ASMT_SYS_CD>IRF-PAI</ASMT_SYS_CD><R6>19491215</R6><R12>20200101</R12>"
          "<R40>20200510</R40><R21A>0001.2</R21A><R24C>Z99.2^^^</R24C></ASSESSMENT>");
    ToolRun e = run("explain a.xml");
    ASSERT_EQ(e.status, 0) << e.err;
    for (const char* fact : {"a.xml, XML assessment", "Result 0: grouped", "normalised \"01.2\"",
                             "deciding row: single-code list 401s1 row 6, code \"Z99.2^^^\"", "CMG result \"B0106\""})
        EXPECT_NE(e.out.find(fact), std::string::npos) << "missing: " << fact << "\n" << e.out;
    write("none.xml", "<OTHER/>");
    ToolRun bad = run("explain none.xml");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("Result 99"), std::string::npos) << bad.out;
}

TEST_F(Tool, ExplainTellsHowTheResultCameAbout) {
    kt::Record r = with_codes(kt::valid_gg(), {"E11.21^^", "E11.65^^"});
    r.impairment("04.110");
    kt::Record bad = kt::valid_gg();
    bad.set("R6", "18790101");
    write("in.txt", line_of(bad) + "\n" + line_of(r) + "\n");
    const kt::Result g = kt::group(r);

    ToolRun e = run("explain --line 2 in.txt");
    ASSERT_EQ(e.status, 0) << e.err;
    for (const std::string& fact : std::vector<std::string>{"Result 0: grouped", "passed  assessment system code", "passed  age 70 is not above 140",
          "2020 - 1949 - 1 = 70", "normalised \"04.110\"", "RIC 05", "GG0170F1", "motor score 25, search value 250",
          "Section GG table row", "passes run: single-code, combination",
          "deciding row: combination list 300c row 25, code \"E11.21^^\" with \"E11.65^^\"",
          std::string("CMG result \"") + g.cmg + "\""})
        EXPECT_NE(e.out.find(fact), std::string::npos) << "missing: " << fact << "\n" << e.out;

    ToolRun f = run("group --explain in.txt");  // line 1: the age check fails
    EXPECT_NE(f.out.find("FAILED  age 141 is above 140 -> result 7"), std::string::npos) << f.out;
    EXPECT_EQ(f.out.find("Motor score"), std::string::npos);
    EXPECT_EQ(run("explain --line 3 in.txt").status, 1);
}

TEST_F(Tool, HelpVersionCodesAndUsageErrors) {
    ToolRun help = run("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* section : {"SYNOPSIS", "OPTIONS", "--threads", "EXIT STATUS", "EXAMPLES"})
        EXPECT_NE(help.out.find(section), std::string::npos) << section;
    ToolRun version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("(grouper release 4.01)"), std::string::npos) << version.out;
    ToolRun codes = run("codes");
    for (const char* code : {"  0  grouped", "  7  age is above 140", "  9  impairment", " 99  XML"})
        EXPECT_NE(codes.out.find(code), std::string::npos) << code;
    for (const char* bad : {"--threads 0", "--output xls", "--bogus", "codes extra"})
        EXPECT_EQ(run(bad).status, 2) << bad;
}

}  // namespace
