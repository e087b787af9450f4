// The XML front ends: build a fixed-width record from the items of an XML
// assessment and group it.  Parsing is TinyXML 2.6.2's, with its default
// white-space condensing; the guard in document_guard.h keeps documents that
// would crash the parser away from it.
#include "xml_frontend.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include <tinyxml.h>
#ifndef TIXML_USE_STL
#error "TinyXML must be used as built: with TIXML_USE_STL"
#endif

#include "document_guard.h"
#include "engine.h"
#include "record.h"

namespace kestrava {
namespace {

// Item values and names are copied into 200-byte buffers: 199 characters.
constexpr std::size_t kValueCapacity = 199;

const char kTextError[] = "Error in %s: %s\n";
const char kFileError[] = "Could not load xml file %s. Error=%s. Exiting.\n";

// The diagnostic line goes out at once, so a crash of the caller later on
// cannot swallow it in the stdio buffer.
void report(const char* format, const char* name, const char* description) {
    std::printf(format, name, description);
    std::fflush(stdout);
}

// The parser's own wording for a document that is empty or cannot be opened.
std::string parser_error(int code) {
    TiXmlDocument doc;
    doc.SetError(code, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
    return doc.ErrorDesc();
}

// What keeps a document away from the parser, or null when it may be parsed.
// The text must be NUL-terminated and at most kMaxDocumentBytes long.
const char* refusal(const char* text) {
    xml::DocumentScan scan =
        xml::scan_document(text, xml::kMaxNestingDepth, xml::kMaxAttributesPerElement);
    if (scan.depth > xml::kMaxNestingDepth) return "Elements nested more than 256 levels deep";
    if (scan.attributes > xml::kMaxAttributesPerElement)
        return "Element with more than 1000 attributes";
    if (scan.overruns) return "Document ends inside a multi-byte character";
    return nullptr;
}
static_assert(xml::kMaxNestingDepth == 256 && xml::kMaxAttributesPerElement == 1000,
              "refusal() names the limits");
static_assert(xml::kMaxDocumentBytes == 1048576, "kTooLarge names the size limit");
const char kTooLarge[] = "Document larger than 1048576 bytes";

// Places the items of the first top-level ASSESSMENT element into a blank
// record.  Returns 99 when there is no such element (an "Error in" line for
// either front end); docName names the document in that line.
int build_record(const TiXmlDocument& doc, const char* docName, char* irfRecord) {
    const TiXmlNode* node = doc.FirstChild("ASSESSMENT");
    const TiXmlElement* irfElement = node ? node->ToElement() : nullptr;
    if (!irfElement) {
        report(kTextError, docName, "Document has no top-level ASSESSMENT element");
        return 99;
    }
    blank_record(irfRecord);
    place_items(*irfElement, irfRecord);
    return 0;
}

bool is_regular(const struct stat& st) { return (st.st_mode & S_IFMT) == S_IFREG; }

// Reads the regular file at path, at most kMaxDocumentBytes of it, into text
// with line ends normalised as TinyXML's LoadFile normalises them (CR LF and
// a lone CR become LF; the text ends at the first NUL).  Returns why it
// cannot, or an empty string.  Anything but a regular file is refused before
// it is opened: the parser's own loading takes a directory's "size" at face
// value and fails to allocate it, and opening a pipe may never return.
std::string load_file(const char* path, std::string& text) {
    const std::string cannotOpen = parser_error(TiXmlBase::TIXML_ERROR_OPENING_FILE);
    struct stat st;
    if (stat(path, &st) != 0) return cannotOpen;
    if (!is_regular(st)) return "Not a regular file";
    if (static_cast<unsigned long long>(st.st_size) > xml::kMaxDocumentBytes) return kTooLarge;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return cannotOpen;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, std::fclose);
    if (fstat(fileno(file), &st) != 0 || !is_regular(st)) return "Not a regular file";

    // The file may have grown since stat: read one byte past the limit at most.
    std::string raw;
    char chunk[16384];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        raw.append(chunk, got);
        if (raw.size() > xml::kMaxDocumentBytes) return kTooLarge;
    }
    if (std::ferror(file)) return cannotOpen;

    text.clear();
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size() && raw[i];) {
        if (raw[i] == '\r') {
            text += '\n';
            if (++i < raw.size() && raw[i] == '\n') ++i;
        } else {
            text += raw[i++];
        }
    }
    return std::string();
}

// Runs one front end body; an allocation failure inside the parser (or
// here) becomes a refused document instead of an exception leaving a C call.
template <typename Body>
int guarded(const char* format, const char* name, Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        report(format, name, "Out of memory");
        return 99;
    }
}

}  // namespace

void place_items(const TiXmlElement& assessment, char* irfRecord) {
    for (const TiXmlElement* child = assessment.FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        const IrfItem* item = nullptr;
        for (const IrfItem& candidate : iTems) {
            if (std::strcmp(child->Value(), candidate.itemName) == 0) {
                item = &candidate;
                break;
            }
        }
        if (!item) continue;
        // No text (empty, only white space, or a first child that is not
        // text): the item stays blank, as if the document did not carry it.
        const char* text = child->GetText();
        if (!text) continue;
        char itemValue[kValueCapacity + 1];
        std::size_t length = std::strlen(text);
        if (length > kValueCapacity) length = kValueCapacity;
        std::memcpy(itemValue, text, length);
        itemValue[length] = '\0';
        FillRecord(irfRecord, itemValue, item->position, static_cast<int>(length));
    }
}

int record_from_xml_text(const char* xmlText, char* irfRecord) {
    return guarded(kTextError, "", [&]() -> int {
        TiXmlDocument doc;
        if (xmlText) {
            // Measure without reading past the terminator or far past the limit.
            std::size_t length = 0;
            while (length <= xml::kMaxDocumentBytes && xmlText[length]) ++length;
            const char* why = length > xml::kMaxDocumentBytes ? kTooLarge : refusal(xmlText);
            if (why) {
                report(kTextError, doc.Value(), why);
                return 99;
            }
        }
        doc.Parse(xmlText, nullptr, TIXML_ENCODING_UNKNOWN);  // null text: "document empty"
        if (doc.Error()) {
            report(kTextError, doc.Value(), doc.ErrorDesc());
            return 99;
        }
        return build_record(doc, doc.Value(), irfRecord);
    });
}

int record_from_xml_file(const char* xmlPath, char* irfRecord) {
    const char* path = xmlPath ? xmlPath : "";
    return guarded(kFileError, path, [&]() -> int {
        TiXmlDocument doc(path);  // the document is named after its file
        std::string text;
        std::string why = xmlPath ? load_file(xmlPath, text) : std::string("No file path given");
        if (why.empty()) {
            const char* refused = refusal(text.c_str());
            if (refused) why = refused;
        }
        if (why.empty()) {
            doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
            if (doc.Error()) why = doc.ErrorDesc();
        }
        if (!why.empty()) {
            report(kFileError, path, why.c_str());
            return 99;
        }
        return build_record(doc, doc.Value(), irfRecord);
    });
}

// The parsed document is released before grouping: only the record is needed.
int group_xml_text(const char* xmlText, char* cmgCode, int* returnCode, char* motorScore,
                   int* cogScore, int* age, char* ruleVersion, char* grouperRelease) {
    char irfRecord[kRecordLength];
    if (record_from_xml_text(xmlText, irfRecord) != 0) return 99;
    return group_record(irfRecord, cmgCode, returnCode, motorScore, cogScore, age, ruleVersion,
                        grouperRelease);
}

int group_xml_file(const char* xmlPath, char* cmgCode, int* returnCode, char* motorScore,
                   int* cogScore, int* age, char* ruleVersion, char* grouperRelease) {
    char irfRecord[kRecordLength];
    if (record_from_xml_file(xmlPath, irfRecord) != 0) return 99;
    return group_record(irfRecord, cmgCode, returnCode, motorScore, cogScore, age, ruleVersion,
                        grouperRelease);
}

}  // namespace kestrava
