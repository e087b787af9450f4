// The pre-parse guard must never see less nesting than TinyXML builds:
// a level it misses is a level of parser recursion the limit does not cover.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include <tinyxml.h>

#include "document_guard.h"

namespace {

using kestrava::xml::scan_document;

// Element nesting of the tree TinyXML built (on a parse error, of the part
// it built before stopping, which is as deep as its recursion went).
int parser_depth(const std::string& xml) {
    std::string padded = xml + std::string(8, '\0');  // room for a parser overrun
    TiXmlDocument doc;
    doc.Parse(padded.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    int deepest = 0;
    struct Walk {
        static void at(const TiXmlNode* node, int depth, int& deepest) {
            for (const TiXmlNode* c = node->FirstChild(); c; c = c->NextSibling()) {
                int d = depth + (c->ToElement() ? 1 : 0);
                if (d > deepest) deepest = d;
                at(c, d, deepest);
            }
        }
    };
    Walk::at(&doc, 0, deepest);
    return deepest;
}

TEST(DocumentGuard, SeesTheNestingTheParserBuildsWhereMarkupHidesTags) {
    // Each case hides end tags (or start tags) from a scanner that matches
    // tags without following the parser; the nesting must still agree.
    const struct {
        const char* what;
        std::string xml;
    } cases[] = {
        {"plain", "<a><b><c/></b></a>"},
        {"end tag inside a comment", "<a><!-- </a> --><a><!-- </a> --><a></a></a></a>"},
        {"end tag inside CDATA", "<a><![CDATA[</a>]]><a><![CDATA[</a>]]><a/></a></a>"},
        {"end tag inside an attribute value", "<a x='</a>'><a y=\"</a>\"><a/></a></a>"},
        {"end tag inside a document type", "<a><!DOCTYPE </a>><a><!x </a>><a/></a></a>"},
        {"end tag inside a declaration value", "<a><?xml version='</a>'?><a><?xml version='</a>'?><a/></a></a>"},
        {"numeric reference running over markup", "<a>&#x</a>x;<a>&#</a>#;<a/></a></a>"},
        {"UTF-8 lead byte taking an end tag (after a declaration)",
         "<?xml version='1.0'?><a>\xF0</a><a>\xF0</a><a/></a></a>"},
        {"UTF-8 lead byte taking an end tag (after a byte-order mark)",
         "\xEF\xBB\xBF<a>\xF0</a><a>\xF0</a><a/></a></a>"},
        {"legacy encoding: the lead byte is one character",
         "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xF0</a><a>\xF0</a><a/></a>"},
        {"encoding named through a reference", "<?xml encoding='&#85;TF-8'?><a>\xF0</a><a>\xF0</a><a/></a></a>"},
        {"non-ASCII byte starts an element", "<a><\xC3\xA9><\xC3\xA9/></\xC3\xA9></a>"},
        {"end tags with white space", "<a\n><b >x</b\n><b><c></c ></b></a >"},
        {"unterminated", "<a><b><c><d>"},
    };
    for (const auto& c : cases) {
        auto scan = scan_document(c.xml.c_str(), 1000);
        EXPECT_FALSE(scan.overruns) << c.what;
        EXPECT_EQ(scan.depth, parser_depth(c.xml)) << c.what;
    }
}

TEST(DocumentGuard, NeverSeesLessNestingThanTheParserOnGeneratedDocuments) {
    // Token soup biased towards opening elements, drawn from the pieces of
    // markup that change how the parser reads what follows.
    const char* tokens[] = {
        "<a>", "</a>", "<b>", "</b>", "<a/>", "<b x='1'>", "<a y=\"</a>\">", "<!--", "-->", "<![CDATA[", "]]>",
        "<?xml", "?>", "<?xml version='1.0'?>", " encoding='", "UTF-8", "latin1", "'", "\"", "&#x", ";", "&#",
        "x", "#", "1", "\xEF\xBB\xBF", "\xF0", "\xE9", "\xC3", "\xA9", ">", "<", "/", "=", " ", "\t", "a=",
        "<!DOCTYPE a>", "<?foo ", "text", "\n", "&amp;", "&lt;", "<_c>", "</_c>", "</a >", "<a\n>",
        "<\xC3\xA9>", "</\xC3\xA9>", "<?xml encoding='UTF-8'?>", "<?xml encoding=\"x\"?>"};
    const int count = sizeof tokens / sizeof *tokens;
    std::mt19937 rng(20201001);
    int deepest = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string xml;
        if (rng() % 3 == 0) xml = rng() % 2 ? "\xEF\xBB\xBF" : "<?xml version='1.0'?>";
        for (int n = 1 + rng() % 200; n > 0; --n) xml += rng() % 3 == 0 ? "<a>" : tokens[rng() % count];
        auto scan = scan_document(xml.c_str(), 1000);
        if (scan.overruns) continue;  // refused; the parser would read past the end
        int built = parser_depth(xml);
        ASSERT_GE(scan.depth, built) << xml;
        if (built > deepest) deepest = built;
    }
    EXPECT_GE(deepest, 20);  // the corpus did reach deep trees
}

TEST(DocumentGuard, StopsAtTheCaps) {
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "<a>";
    EXPECT_EQ(scan_document(deep.c_str(), 256).depth, 257);
    EXPECT_EQ(scan_document("<a><a/></a>", 256).depth, 2);

    std::string attributes = "<a";
    for (int i = 0; i < 50; ++i) attributes += " n" + std::to_string(i) + "='v'";
    attributes += "/>";
    EXPECT_EQ(scan_document(attributes.c_str(), 256, 10).attributes, 11);
    EXPECT_EQ(scan_document(attributes.c_str(), 256, 50).attributes, 50);

    EXPECT_TRUE(scan_document("<?xml version='1.0'?><a>\xE2\x82", 256).overruns);
    EXPECT_TRUE(scan_document("<?xml version='1.0'?><a b='\xC3", 256).overruns);
    EXPECT_FALSE(scan_document("<a>\xE2\x82", 256).overruns);  // no declaration: bytes are characters
}

}  // namespace
