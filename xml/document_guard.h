// Checks an XML document before TinyXML 2.6.2 parses it, for the inputs that
// would harm the caller's process inside the parser: elements nested so deep
// that its recursive descent (and the recursive release of the tree)
// exhausts the stack, a UTF-8 lead byte so close to the end of the text that
// the parser steps past the terminating NUL and reads memory beyond it, and
// so many attributes on one element that parsing takes minutes.
#ifndef KESTRAVA_XML_DOCUMENT_GUARD_H
#define KESTRAVA_XML_DOCUMENT_GUARD_H

#include <cstddef>

namespace kestrava {
namespace xml {

// Largest document, in bytes, that the front ends hand to the parser.  A full
// assessment is a few kilobytes; this leaves room for any amount of markup a
// producer may add while bounding the parser's memory and time.
constexpr std::size_t kMaxDocumentBytes = 1024 * 1024;

// Deepest element nesting the front ends hand to the parser.  An assessment
// needs two levels (ASSESSMENT and its items); the parser's stack use at this
// depth stays far below the smallest thread stacks callers run on.
constexpr int kMaxNestingDepth = 256;

struct DocumentScan {
    // Deepest element nesting the parser reaches in the document, counted as
    // the parser counts elements (the top-level element is level 1); once it
    // passes depthCap the scan stops and reports depthCap + 1.
    int depth = 0;
    // The parser would read past the terminating NUL (a multi-byte UTF-8 lead
    // byte in text or an attribute value with the NUL inside its sequence).
    bool overruns = false;
    // Most attributes on one element; once it passes attributeCap the scan
    // stops and reports attributeCap + 1.
    int attributes = 0;
};

// Most attributes on one element handed to the parser.  The parser checks
// each new attribute against all earlier ones of its element, so its time
// grows with the square of their number: a megabyte of attributes on one
// element takes it about a minute.
constexpr int kMaxAttributesPerElement = 1000;

// Follows TinyXML 2.6.2's reading of a NUL-terminated document parsed with
// encoding 0 (byte-order mark, declarations, entities, comments, CDATA,
// multi-byte characters), without building anything and without recursion.
// Where the parser stops on an error the scan stops too.
DocumentScan scan_document(const char* text, int depthCap = kMaxNestingDepth,
                           int attributeCap = kMaxAttributesPerElement);

}  // namespace xml
}  // namespace kestrava

#endif
