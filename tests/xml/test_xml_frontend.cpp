// The XML front ends: same outputs as grouping the equivalent record, item
// placement, and every way a document is refused (99, one line on standard
// output, no result argument written).
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <tinyxml.h>

#include "test_support.h"
#include "xml_frontend.h"

namespace {

using Items = std::vector<std::pair<std::string, std::string>>;

std::string assessment(const Items& items, const std::string& prolog = "") {
    std::string xml = prolog + "<ASSESSMENT>\n";
    for (const auto& [name, value] : items) xml += "  <" + name + ">" + value + "</" + name + ">\n";
    return xml + "</ASSESSMENT>\n";
}

// Result arguments pre-filled with sentinels, so that "untouched" is visible.
struct Call {
    int result = 0;
    char cmg[6] = "#####";
    int rc = -7;
    char motor[7] = "######";
    int cog = -7, age = -7;
    char rule[5] = "####";
    char release[5] = "####";
    std::string out;  // what the call printed on standard output

    bool untouched() const {
        return std::string(cmg) == "#####" && rc == -7 && std::string(motor) == "######" && cog == -7 &&
               age == -7 && std::string(rule) == "####" && std::string(release) == "####";
    }
    kt::Result outputs() const {
        kt::Result r;
        r.result = result;
        r.returnCode = rc;
        r.cmg = cmg;
        r.motor = motor;
        r.cog = cog;
        r.age = age;
        r.rule = rule;
        r.release = release;
        return r;
    }
};

Call from_text(const char* xml) {
    Call c;
    testing::internal::CaptureStdout();
    c.result = kestrava::group_xml_text(xml, c.cmg, &c.rc, c.motor, &c.cog, &c.age, c.rule, c.release);
    c.out = testing::internal::GetCapturedStdout();
    return c;
}
Call from_text(const std::string& xml) { return from_text(xml.c_str()); }

Call from_file(const char* path) {
    Call c;
    testing::internal::CaptureStdout();
    c.result = kestrava::group_xml_file(path, c.cmg, &c.rc, c.motor, &c.cog, &c.age, c.rule, c.release);
    c.out = testing::internal::GetCapturedStdout();
    return c;
}

// A scratch directory for files the tests write, removed afterwards.
class XmlFiles : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kestrava-xml-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
    std::string write(const std::string& name, const std::string& content) {
        std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::string dir_;
};

// Item names and values of a Section GG and an item-39 assessment, and the
// same assessments as records.  The impairment group value carries two
// leading characters that grouping skips (a value cannot start with blanks).
const Items kGgItems = {
    {"ASMT_SYS_CD", "IRF-PAI"}, {"TRANS_TYPE_CD", "1"}, {"R6", "19491215"}, {"R12", "20200101"},
    {"R21A", "0001.2"},         {"R24A", "Z99.2^^^"},   {"R24B", "I69.351^"}, {"R40", "20200510"},
    {"GG0130A1", "04"},         {"GG0130B1", "03"},     {"GG0130C1", "02"},   {"GG0130E1", "03"},
    {"GG0130F1", "02"},         {"GG0130G1", "02"},     {"GG0130H1", "01"},   {"GG0170B1", "03"},
    {"GG0170C1", "03"},         {"GG0170D1", "02"},     {"GG0170E1", "02"},   {"GG0170F1", "02"},
    {"GG0170I1", "02"},         {"GG0170J1", "01"},     {"GG0170K1", "01"},   {"GG0170M1", "88"},
    {"H0350", "1"},             {"H0400", "2"}};
const Items kItem39Items = {
    {"ASMT_SYS_CD", "IRF-PAI"}, {"TRANS_TYPE_CD", "1"}, {"R6", "19400301"}, {"R12", "20150101"},
    {"R21A", "0008.51"},        {"R24A", "427.31"},     {"R40", "20150120"},  {"R39AA", "5"},
    {"R39BA", "4"},             {"R39CA", "3"},         {"R39DA", "4"},       {"R39EA", "2"},
    {"R39FA", "3"},             {"R39GA", "5"},         {"R39HA", "6"},       {"R39IA", "3"},
    {"R39JA", "3"},             {"R39LA", "2"},         {"R39MA", "1"},       {"R39NA", "6"},
    {"R39OA", "5"},             {"R39PA", "6"},         {"R39QA", "4"},       {"R39RA", "5"}};

kt::Record record_of(const Items& items) {
    kt::Record r;
    for (const auto& [name, value] : items) r.set(name, value);
    return r;
}

TEST(XmlFrontEnds, GroupAsTheEquivalentRecordThroughTextAndFile) {
    for (const Items* items : {&kGgItems, &kItem39Items}) {
        kt::Result expected = kt::group(record_of(*items));
        ASSERT_EQ(expected.result, 0) << expected;

        std::string xml = assessment(*items, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
        Call text = from_text(xml);
        EXPECT_EQ(text.outputs(), expected);
        EXPECT_EQ(text.out, "");

        char path[] = "/tmp/kestrava-xml-eq-XXXXXX";
        int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, xml.data(), xml.size()), static_cast<ssize_t>(xml.size()));
        close(fd);
        Call file = from_file(path);
        unlink(path);
        EXPECT_EQ(file.outputs(), expected);
        EXPECT_EQ(file.out, "");
    }
}

TEST_F(XmlFiles, FileLineEndsAndByteOrderMarkReadAsTheParserReadsThem) {
    // CR LF and lone CR line ends, a byte-order mark, a comment and a document
    // type before the element: the same outputs as the plain document.
    std::string xml = assessment(kGgItems, "<!DOCTYPE ASSESSMENT>\n<!-- synthetic -->\n");
    std::string crlf;
    for (char ch : xml) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    std::string cr = xml;
    for (char& ch : cr)
        if (ch == '\n') ch = '\r';
    kt::Result expected = kt::group(record_of(kGgItems));
    EXPECT_EQ(from_file(write("crlf.xml", "\xEF\xBB\xBF" + crlf).c_str()).outputs(), expected);
    EXPECT_EQ(from_file(write("cr.xml", cr).c_str()).outputs(), expected);
    EXPECT_EQ(from_text(crlf).outputs(), expected);
}

TEST(XmlFrontEnds, BundledSamplesGroupAsTheirRecords) {
    // The samples are the documents the README shows; each groups to a result.
    for (const char* name : {"section_gg.xml", "item39.xml", "with_extras.xml"}) {
        std::string path = std::string(KESTRAVA_XML_SAMPLES) + "/" + name;
        Call file = from_file(path.c_str());
        std::ifstream in(path, std::ios::binary);
        std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Call text = from_text(xml);
        EXPECT_EQ(file.result, 0) << name << file.out;
        EXPECT_EQ(file.outputs(), text.outputs()) << name;
    }
}

// --- Placement -----------------------------------------------------------

// The record that the front ends build from a document's first ASSESSMENT.
std::string placed(const std::string& xml) {
    TiXmlDocument doc;
    doc.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    EXPECT_FALSE(doc.Error()) << doc.ErrorDesc();
    const TiXmlNode* node = doc.FirstChild("ASSESSMENT");
    kt::Record r;
    if (node && node->ToElement()) kestrava::place_items(*node->ToElement(), r.buf);
    return std::string(r.buf, sizeof r.buf);
}
std::string bytes(const kt::Record& r) { return std::string(r.buf, sizeof r.buf); }

struct PlacementCase {
    const char* what;
    std::string xml;
    kt::Record expected;
};

TEST(XmlPlacement, ValuesLandAtTheirItemForTheirOwnLength) {
    const std::string long250 = "20200510" + std::string(242, '7');
    const std::string name300(300, 'R');
    const PlacementCase cases[] = {
        {"left-aligned, rest of the field blank", "<ASSESSMENT><R24A>J38.01</R24A></ASSESSMENT>",
         kt::Record().set("R24A", "J38.01")},
        {"a long value runs on; a later element overwrites it",
         "<ASSESSMENT><ASMT_SYS_CD>IRF-PAI0003</ASMT_SYS_CD><TRANS_TYPE_CD>1</TRANS_TYPE_CD></ASSESSMENT>",
         kt::Record().set("ASMT_SYS_CD", "IRF-PAI0003").set("TRANS_TYPE_CD", "1")},
        {"an earlier element is overwritten by a long value",
         "<ASSESSMENT><TRANS_TYPE_CD>1</TRANS_TYPE_CD><ASMT_SYS_CD>IRF-PAI12345</ASMT_SYS_CD></ASSESSMENT>",
         kt::Record().at(1, "IRF-PAI12345")},
        {"a long value crosses into the next item",
         "<ASSESSMENT><GG0130B1>01</GG0130B1><GG0130A1>06xxxx05</GG0130A1></ASSESSMENT>",
         kt::Record().set("GG0130A1", "06xxxx05")},
        {"a repeated item is placed again without clearing",
         "<ASSESSMENT><R40>20200510</R40><R40>2015</R40></ASSESSMENT>", kt::Record().set("R40", "20150510")},
        {"text of 200 characters or more is cut to 199",
         "<ASSESSMENT><R40>" + long250 + "</R40></ASSESSMENT>", kt::Record().set("R40", long250.substr(0, 199))},
        {"white space trimmed and condensed",
         "<ASSESSMENT><R40> 20191001 </R40><ASMT_SYS_CD>\n\tIRF \t\n PAI  </ASMT_SYS_CD></ASSESSMENT>",
         kt::Record().set("R40", "20191001").set("ASMT_SYS_CD", "IRF PAI")},
        {"entities and CDATA give the parser's text",
         "<ASSESSMENT><ASMT_SYS_CD>IRF&#45;PAI</ASMT_SYS_CD><R40><![CDATA[20200510]]></R40></ASSESSMENT>",
         kt::Record().set("ASMT_SYS_CD", "IRF-PAI").set("R40", "20200510")},
        {"unknown, wrongly cased and over-long names are skipped",
         "<ASSESSMENT><r40>20200510</r40><R040>20200510</R040><" + name300 + ">20200510</" + name300 +
             "><NOTE>x</NOTE><R40>20150101</R40></ASSESSMENT>",
         kt::Record().set("R40", "20150101")},
        {"attributes are ignored",
         "<ASSESSMENT id='7' R40='20200510'><R40 value='19990101' x=\"y\">20150101</R40></ASSESSMENT>",
         kt::Record().set("R40", "20150101")},
        {"nested elements are not items; text inside ASSESSMENT is ignored",
         "<ASSESSMENT>stray text<R24A><R40>20200510</R40></R24A><X><R12>20200101</R12></X></ASSESSMENT>",
         kt::Record()},
        {"an item without text stays blank",
         "<ASSESSMENT><R40/><R12>   </R12><R6><b/>19491215</R6><R24A>J38.01<b/></R24A></ASSESSMENT>",
         kt::Record().set("R24A", "J38.01")},
        {"an item element given twice, empty the second time, keeps the first value",
         "<ASSESSMENT><R40>20200510</R40><R40></R40></ASSESSMENT>", kt::Record().set("R40", "20200510")},
    };
    for (const auto& c : cases) {
        std::string got = placed(c.xml);
        EXPECT_EQ(got, bytes(c.expected)) << c.what;
        EXPECT_EQ(got[2784], '%') << c.what;
        EXPECT_EQ(got[2785], '\0') << c.what;
    }
}

TEST(XmlFrontEnds, ReadOnlyTheFirstTopLevelAssessment) {
    Items first = kGgItems, second = kGgItems;
    second[0].second = "NOT-IRF";  // the second ASSESSMENT would fail with 1
    std::string xml = "<?xml version='1.0'?>" + assessment(first) + assessment(second);
    EXPECT_EQ(from_text(xml).outputs(), kt::group(record_of(first)));
    std::string reversed = assessment(second) + assessment(first);
    EXPECT_EQ(from_text(reversed).result, 1);
}

TEST(XmlFrontEnds, EmptyAssessmentGroupsABlankRecord) {
    Call c = from_text("<ASSESSMENT/>");
    EXPECT_EQ(c.outputs(), kt::group(kt::Record()));
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.rc, 1);
    EXPECT_EQ(c.out, "");
}

// --- Refusals -------------------------------------------------------------

std::string nested(int depth) {
    std::string xml = "<ASSESSMENT>";
    for (int i = 1; i < depth; ++i) xml += "<x>";
    for (int i = 1; i < depth; ++i) xml += "</x>";
    return xml + "</ASSESSMENT>";
}

std::string with_attributes(int count) {
    std::string xml = "<ASSESSMENT";
    for (int i = 0; i < count; ++i) xml += " a" + std::to_string(i) + "=''";
    return xml + "/>";
}

TEST(XmlFrontEnds, TextThatCannotBeReadGives99AndOneLine) {
    const std::string oversized = "<ASSESSMENT><!--" + std::string(1024 * 1024, '-') + "--></ASSESSMENT>";
    const struct {
        const char* what;
        std::string xml;
        const char* line;
    } cases[] = {
        {"empty", "", "Error in : Error document empty.\n"},
        {"only white space", " \n\t", "Error in : Error document empty.\n"},
        {"malformed", "<ASSESSMENT><R40>20200510</R4></ASSESSMENT>", "Error in : Error reading end tag.\n"},
        {"unterminated", "<ASSESSMENT><R40>20200510", "Error in : Error reading Element value.\n"},
        {"no ASSESSMENT", "<?xml version='1.0'?><assessment><R40>20200510</R40></assessment>",
         "Error in : Document has no top-level ASSESSMENT element\n"},
        {"ASSESSMENT only nested", "<ROOT><ASSESSMENT><R40>20200510</R40></ASSESSMENT></ROOT>",
         "Error in : Document has no top-level ASSESSMENT element\n"},
        {"first node named ASSESSMENT is a comment", "<!--ASSESSMENT--><ASSESSMENT/>",
         "Error in : Document has no top-level ASSESSMENT element\n"},
        {"nested 257 deep", nested(257), "Error in : Elements nested more than 256 levels deep\n"},
        {"nested 100000 deep", nested(100000), "Error in : Elements nested more than 256 levels deep\n"},
        {"1001 attributes on one element", with_attributes(1001),
         "Error in : Element with more than 1000 attributes\n"},
        {"larger than 1 MiB", oversized, "Error in : Document larger than 1048576 bytes\n"},
        {"ends inside a UTF-8 character", "<?xml version='1.0'?><ASSESSMENT>x\xF0",
         "Error in : Document ends inside a multi-byte character\n"},
    };
    for (const auto& c : cases) {
        Call call = from_text(c.xml);
        EXPECT_EQ(call.result, 99) << c.what;
        EXPECT_EQ(call.out, c.line) << c.what;
        EXPECT_TRUE(call.untouched()) << c.what;
    }
    Call null = from_text(static_cast<const char*>(nullptr));
    EXPECT_EQ(null.result, 99);
    EXPECT_EQ(null.out, "Error in : Error document empty.\n");
    EXPECT_TRUE(null.untouched());
}

TEST(XmlFrontEnds, LimitsAreInclusive) {
    EXPECT_EQ(from_text(nested(256)).outputs(), kt::group(kt::Record()));
    EXPECT_EQ(from_text(with_attributes(1000)).outputs(), kt::group(kt::Record()));
    std::string xml = "<ASSESSMENT><!---->" + assessment(kGgItems).substr(12);
    xml.insert(16, std::string(1024 * 1024 - xml.size(), '-'));
    ASSERT_EQ(xml.size(), 1024u * 1024u);
    EXPECT_EQ(from_text(xml).outputs(), kt::group(record_of(kGgItems)));
}

TEST(XmlFrontEnds, TextEndingInsideACharacterIsNotReadPastItsEnd) {
    // The document ends right before an unreadable page.  The parser itself
    // steps over the NUL after the lead byte F0 and faults on that page.
    const char doc[] = "<?xml version='1.0'?><ASSESSMENT>x\xF0";
    long page = sysconf(_SC_PAGESIZE);
    char* pages = static_cast<char*>(
        mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(pages + page, page, PROT_NONE), 0);
    char* text = pages + page - sizeof doc;
    std::memcpy(text, doc, sizeof doc);
    Call c = from_text(text);
    EXPECT_EQ(c.result, 99);
    EXPECT_TRUE(c.untouched());
    munmap(pages, 2 * page);
}

TEST_F(XmlFiles, FilesThatCannotBeLoadedGive99AndOneLine) {
    const std::string missing = dir_ + "/missing.xml";
    const std::string fifo = dir_ + "/pipe.xml";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = write("big.xml", "<ASSESSMENT>" + std::string(1024 * 1024, ' ') + "</ASSESSMENT>");
    const std::string huge = write("huge.xml", "");
    ASSERT_EQ(truncate(huge.c_str(), 3LL << 30), 0);  // sparse: 3 GiB that take no room
    const struct {
        std::string path;
        std::string error;
    } cases[] = {
        {missing, "Failed to open file"},
        {dir_, "Not a regular file"},
        {fifo, "Not a regular file"},
        {write("empty.xml", ""), "Error document empty."},
        {write("malformed.xml", "<ASSESSMENT><R40>1</R41></ASSESSMENT>"), "Error reading end tag."},
        {write("deep.xml", nested(300)), "Elements nested more than 256 levels deep"},
        {big, "Document larger than 1048576 bytes"},
        {huge, "Document larger than 1048576 bytes"},
        {write("utf8.xml", "\xEF\xBB\xBF<ASSESSMENT>\xE2\x82"), "Document ends inside a multi-byte character"},
    };
    for (const auto& c : cases) {
        Call call = from_file(c.path.c_str());
        EXPECT_EQ(call.result, 99) << c.path;
        EXPECT_EQ(call.out, "Could not load xml file " + c.path + ". Error=" + c.error + ". Exiting.\n");
        EXPECT_TRUE(call.untouched()) << c.path;
    }
    Call null = from_file(nullptr);
    EXPECT_EQ(null.result, 99);
    EXPECT_EQ(null.out, "Could not load xml file . Error=No file path given. Exiting.\n");
    EXPECT_TRUE(null.untouched());

    // A loaded file without ASSESSMENT is reported under the document's name.
    const std::string other = write("other.xml", "<OTHER/>");
    Call none = from_file(other.c_str());
    EXPECT_EQ(none.result, 99);
    EXPECT_EQ(none.out, "Error in " + other + ": Document has no top-level ASSESSMENT element\n");
    EXPECT_TRUE(none.untouched());
}

}  // namespace
