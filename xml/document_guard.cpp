// A non-recursive walk over a document that takes every step TinyXML 2.6.2's
// parser takes (TiXmlDocument::Parse with encoding 0 and the Parse methods of
// its node classes), so that the nesting it measures is the nesting the
// parser would recurse into.  Each function names the parser function it
// follows; their branches and order are kept as in the parser, because an
// element that the walk misses (say, inside what it wrongly took for a
// comment) would be a level the parser descends without the limit seeing it.
#include "document_guard.h"

#include <cctype>
#include <cstring>
#include <string>

namespace kestrava {
namespace xml {
namespace {

enum class Encoding { Unknown, Utf8, Legacy };

// The parser's character classes, through the same C library calls so that
// a locale set by the host process affects both alike.
bool is_white(char c) {
    return std::isspace(static_cast<unsigned char>(c)) || c == '\n' || c == '\r';
}
bool is_alpha(unsigned char b) { return b < 127 ? std::isalpha(b) != 0 : true; }
bool is_alnum(unsigned char b) { return b < 127 ? std::isalnum(b) != 0 : true; }
int to_lower(int v, Encoding e) {
    if (e == Encoding::Utf8) return v < 128 ? std::tolower(v) : v;
    return std::tolower(v);
}
// utf8ByteTable: bytes of the character a byte starts, in UTF-8 mode.
int utf8_length(unsigned char b) {
    if (b < 0xC2) return 1;
    if (b < 0xE0) return 2;
    if (b < 0xF0) return 3;
    if (b < 0xF5) return 4;
    return 1;
}

enum class Node { None, Declaration, Comment, Cdata, Unknown, Element };

class Walk {
public:
    Walk(int depthCap, int attributeCap) : cap_(depthCap), attributeCap_(attributeCap) {}

    // TiXmlDocument::Parse.
    DocumentScan run(const char* p) {
        if (!p || !*p) return out_;
        const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
        if (u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) enc_ = Encoding::Utf8;
        p = skip_white(p);
        while (p && *p && !halted_) {
            Node kind = identify(p);
            if (kind == Node::None) break;
            std::string declared;
            p = parse(kind, p, &declared);
            if (enc_ == Encoding::Unknown && kind == Node::Declaration) {
                const char* e = declared.c_str();  // the parser reads it as a C string
                if (*e == 0 || equal(e, "UTF-8", true, Encoding::Unknown) ||
                    equal(e, "UTF8", true, Encoding::Unknown))
                    enc_ = Encoding::Utf8;
                else
                    enc_ = Encoding::Legacy;
            }
            p = skip_white(p);
        }
        return out_;
    }

private:
    int cap_;
    int attributeCap_;
    Encoding enc_ = Encoding::Unknown;
    DocumentScan out_;
    bool halted_ = false;  // depth cap passed or overrun found: stop everything

    // StringEqual (p is never null or empty where the parser calls it).
    bool equal(const char* p, const char* tag, bool ignoreCase, Encoding e) const {
        const char* q = p;
        if (ignoreCase) {
            while (*q && *tag && to_lower(*q, e) == to_lower(*tag, e)) ++q, ++tag;
        } else {
            while (*q && *tag && *q == *tag) ++q, ++tag;
        }
        return *tag == 0;
    }
    bool equal(const char* p, const char* tag, bool ignoreCase = false) const {
        return equal(p, tag, ignoreCase, enc_);
    }

    // SkipWhiteSpace: null for a null or exhausted text.
    const char* skip_white(const char* p) const {
        if (!p || !*p) return nullptr;
        if (enc_ == Encoding::Utf8) {
            while (*p) {
                const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
                if (u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) { p += 3; continue; }
                if (u[0] == 0xEF && u[1] == 0xBF && u[2] == 0xBE) { p += 3; continue; }
                if (u[0] == 0xEF && u[1] == 0xBF && u[2] == 0xBF) { p += 3; continue; }
                if (is_white(*p)) ++p;
                else break;
            }
        } else {
            while (*p && is_white(*p)) ++p;
        }
        return p;
    }

    // ReadName.
    const char* read_name(const char* p) const {
        if (p && *p && (is_alpha(static_cast<unsigned char>(*p)) || *p == '_')) {
            while (p && *p &&
                   (is_alnum(static_cast<unsigned char>(*p)) || *p == '_' || *p == '-' || *p == '.' ||
                    *p == ':'))
                ++p;
            return p;
        }
        return nullptr;
    }

    // GetEntity, with the characters it yields in non-UTF-8 mode (the only
    // mode in which a value, the declared encoding, matters here).  A numeric
    // reference runs to the first ';' and is checked only back to the last
    // 'x' or '#' before it, so it can pass over markup: follow it exactly.
    const char* entity(const char* p, std::string* value) const {
        if (p[1] && p[1] == '#' && p[2]) {
            unsigned long ucs = 0, mult = 1;
            const char* semicolon;
            if (p[2] == 'x') {
                if (!p[3]) return nullptr;
                semicolon = std::strchr(p + 3, ';');
                if (!semicolon) return nullptr;
                for (const char* q = semicolon - 1; *q != 'x'; --q, mult *= 16) {
                    if (*q >= '0' && *q <= '9') ucs += mult * (*q - '0');
                    else if (*q >= 'a' && *q <= 'f') ucs += mult * (*q - 'a' + 10);
                    else if (*q >= 'A' && *q <= 'F') ucs += mult * (*q - 'A' + 10);
                    else return nullptr;
                }
            } else {
                semicolon = std::strchr(p + 2, ';');
                if (!semicolon) return nullptr;
                for (const char* q = semicolon - 1; *q != '#'; --q, mult *= 10) {
                    if (*q >= '0' && *q <= '9') ucs += mult * (*q - '0');
                    else return nullptr;
                }
            }
            if (value) *value += static_cast<char>(ucs);
            return semicolon + 1;
        }
        static const struct { const char* text; char chr; } named[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        for (const auto& n : named) {
            std::size_t len = std::strlen(n.text);
            if (std::strncmp(n.text, p, len) == 0) {
                if (value) *value += n.chr;
                return p + len;
            }
        }
        return p + 1;  // an unknown '&' yields nothing
    }

    // GetChar.  In UTF-8 mode a lead byte takes the following bytes with it
    // whatever they are; when the terminating NUL is among them the parser
    // steps past the end of the text, so the walk halts the document here.
    const char* get_char(const char* p, std::string* value) {
        int length = enc_ == Encoding::Utf8 ? utf8_length(static_cast<unsigned char>(*p)) : 1;
        if (length == 1) {
            if (*p == '&') return entity(p, value);
            if (value) *value += *p;
            return p + 1;
        }
        for (int i = 1; i < length; ++i) {
            if (!p[i]) {
                out_.overruns = true;
                halted_ = true;
                return nullptr;
            }
        }
        if (value) value->append(p, length);
        return p + length;
    }

    // ReadText (the white space handling only changes the value, not where
    // the text ends, so one loop serves both of the parser's branches).
    const char* read_text(const char* p, bool trimWhite, const char* endTag, std::string* value) {
        if (trimWhite) p = skip_white(p);
        while (p && *p && !equal(p, endTag)) {
            if (trimWhite && is_white(*p)) ++p;
            else p = get_char(p, value);
        }
        if (p && *p) p += std::strlen(endTag);
        return (p && *p) ? p : nullptr;
    }

    // TiXmlAttribute::Parse.
    const char* attribute(const char* p, std::string* value) {
        p = skip_white(p);
        if (!p || !*p) return nullptr;
        p = read_name(p);
        if (!p || !*p) return nullptr;
        p = skip_white(p);
        if (!p || !*p || *p != '=') return nullptr;
        ++p;
        p = skip_white(p);
        if (!p || !*p) return nullptr;
        if (*p == '\'' || *p == '"') {
            const char end[2] = {*p, 0};
            return read_text(p + 1, false, end, value);
        }
        while (p && *p && !is_white(*p) && *p != '/' && *p != '>') {
            if (*p == '\'' || *p == '"') return nullptr;
            if (value) *value += *p;
            ++p;
        }
        return p;
    }

    // TiXmlNode::Identify.
    Node identify(const char* p) const {
        p = skip_white(p);
        if (!p || !*p || *p != '<') return Node::None;
        if (equal(p, "<?xml", true)) return Node::Declaration;
        if (equal(p, "<!--")) return Node::Comment;
        if (equal(p, "<![CDATA[")) return Node::Cdata;
        if (equal(p, "<!")) return Node::Unknown;
        if (is_alpha(static_cast<unsigned char>(p[1])) || p[1] == '_') return Node::Element;
        return Node::Unknown;
    }

    const char* parse(Node kind, const char* p, std::string* declared) {
        switch (kind) {
            case Node::Declaration: return declaration(p, declared);
            case Node::Comment: return comment(p);
            case Node::Cdata: return cdata(p);
            case Node::Unknown: return unknown(p);
            case Node::Element: return element(p);
            case Node::None: break;
        }
        return nullptr;
    }

    // TiXmlDeclaration::Parse (as patched for CVE-2023-34194).
    const char* declaration(const char* p, std::string* declared) {
        p = skip_white(p);
        if (!p || !*p || !equal(p, "<?xml", true)) return nullptr;
        p += 5;
        while (p && *p) {
            if (*p == '>') return p + 1;
            p = skip_white(p);
            if (!p || !*p) break;
            if (equal(p, "version", true) || equal(p, "standalone", true)) {
                p = attribute(p, nullptr);
            } else if (equal(p, "encoding", true)) {
                std::string value;
                p = attribute(p, &value);
                *declared = value;
            } else {
                while (p && *p && *p != '>' && !is_white(*p)) ++p;
            }
        }
        return nullptr;
    }

    // TiXmlComment::Parse: byte by byte to "-->".
    const char* comment(const char* p) const {
        p = skip_white(p);
        if (!equal(p, "<!--")) return nullptr;
        p += 4;
        while (p && *p && !equal(p, "-->")) ++p;
        if (p && *p) p += 3;
        return p;
    }

    // TiXmlText::Parse of a CDATA section: byte by byte to "]]>", then
    // ReadText over the "]]>".
    const char* cdata(const char* p) {
        if (!equal(p, "<![CDATA[")) return nullptr;
        p += 9;
        while (p && *p && !equal(p, "]]>")) ++p;
        return read_text(p, false, "]]>", nullptr);
    }

    // TiXmlUnknown::Parse: byte by byte to '>'.
    const char* unknown(const char* p) const {
        p = skip_white(p);
        if (!p || !*p || *p != '<') return nullptr;
        ++p;
        while (p && *p && *p != '>') ++p;
        if (p && *p == '>') return p + 1;
        return p;
    }

    // TiXmlText::Parse of character data: ReadText to '<', which it leaves.
    const char* text(const char* p) {
        p = read_text(p, true, "<", nullptr);
        if (p && *p) return p - 1;
        return nullptr;
    }

    // TiXmlElement::Parse with its ReadValue, for an element and everything
    // inside it.  The parser recurses into child elements; here the names of
    // the open elements, each closed by a NUL (no name holds one), take the
    // place of its call stack.  (A std::string rather than a vector of them:
    // the vector's out-of-line members would be exported from the library.)
    const char* element(const char* p) {
        std::string open;
        int levels = 0;
        for (;;) {
            // Start tag of an element at p, levels levels down.
            int depth = levels + 1;
            if (depth > out_.depth) out_.depth = depth;
            if (depth > cap_) {
                halted_ = true;
                return nullptr;
            }
            p = skip_white(p);
            if (!p || !*p || *p != '<') return nullptr;
            p = skip_white(p + 1);
            const char* nameStart = p;
            p = read_name(p);
            if (!p || !*p) return nullptr;
            std::string name(nameStart, p);
            bool empty = false;
            for (int attributes = 0;; ++attributes) {
                if (attributes > out_.attributes) out_.attributes = attributes;
                if (attributes > attributeCap_) {
                    halted_ = true;
                    return nullptr;
                }
                p = skip_white(p);
                if (!p || !*p) return nullptr;
                if (*p == '/') {
                    if (p[1] != '>') return nullptr;
                    p += 2;
                    empty = true;
                    break;
                }
                if (*p == '>') {
                    ++p;
                    break;
                }
                p = attribute(p, nullptr);
                if (!p || !*p) return nullptr;
            }
            if (!empty) {
                open += name;
                open += '\0';
                ++levels;
            } else if (levels == 0) {
                return p;
            }

            // ReadValue of the innermost open element, resumed after each
            // child that ends; a child start tag goes back to the top.
            for (;;) {
                p = skip_white(p);
                bool child = false;
                while (p && *p) {
                    if (*p != '<') {
                        p = text(p);
                    } else if (equal(p, "</")) {
                        break;
                    } else {
                        Node kind = identify(p);
                        if (kind == Node::None) return nullptr;
                        if (kind == Node::Element) {
                            child = true;
                            break;
                        }
                        std::string ignored;
                        p = parse(kind, p, &ignored);
                    }
                    p = skip_white(p);
                }
                if (halted_) return nullptr;
                if (child) break;
                // The end tag of the innermost open element.
                if (!p || !*p) return nullptr;
                std::size_t last = open.find_last_of('\0', open.size() - 2);
                last = last == std::string::npos ? 0 : last + 1;
                std::string endTag = "</" + open.substr(last, open.size() - 1 - last);
                if (!equal(p, endTag.c_str())) return nullptr;
                p = skip_white(p + endTag.size());
                if (!(p && *p && *p == '>')) return nullptr;
                ++p;
                open.resize(last);
                if (--levels == 0) return p;
            }
        }
    }
};

}  // namespace

DocumentScan scan_document(const char* text, int depthCap, int attributeCap) {
    return Walk(depthCap, attributeCap).run(text);
}

}  // namespace xml
}  // namespace kestrava
