#include "output.h"

#include <cstdio>

#include "codes.h"

namespace kestrava::cli {
namespace {

constexpr std::size_t kMaxRecordOutput = 512;  // everything but the input name

inline char* put(char* p, const char* s, std::size_t n) {
    std::memcpy(p, s, n);
    return p + n;
}
template <std::size_t N>
inline char* put(char* p, const char (&s)[N]) {
    return put(p, s, N - 1);
}

inline char* put_int(char* p, long long v) {
    char tmp[24];
    int n = 0;
    unsigned long long u = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    do { tmp[n++] = static_cast<char>('0' + u % 10); u /= 10; } while (u);
    if (v < 0) *p++ = '-';
    while (n) *p++ = tmp[--n];
    return p;
}

// A grouping output: plain text without quotes or control characters, but
// quoted so that leading blanks survive CSV readers.
inline char* put_quoted(char* p, const char* s) {
    *p++ = '"';
    while (*s) *p++ = *s++;
    *p++ = '"';
    return p;
}

std::string csv_quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

}  // namespace

std::string json_escape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char u[8];
                    std::snprintf(u, sizeof u, "\\u%04x", c);
                    out += u;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

std::string ResultFormatter::header() const {
    if (format_ != OutputFormat::Csv) return "";
    return "input,line,result,cmgCode,returnCode,motorScore,cogScore,age,ruleVersion,grouperRelease,meaning\n";
}

void ResultFormatter::set_input(const std::string& name) {
    inputField_ = format_ == OutputFormat::Csv ? csv_quote(name) + ","
                                               : "{\"input\":\"" + json_escape(name) + "\",\"line\":";
}

void ResultFormatter::format(OutBuf& out, long long line, const GroupResult& r) const {
    char* const start = out.reserve(inputField_.size() + kMaxRecordOutput);
    char* p = put(start, inputField_.data(), inputField_.size());
    const char* meaning = result_meaning(r.result);
    if (format_ == OutputFormat::Csv) {
        p = put_int(p, line);
        *p++ = ',';
        p = put_int(p, r.result);
        *p++ = ',';
        p = put_quoted(p, r.cmgCode);
        *p++ = ',';
        p = put_int(p, r.returnCode);
        *p++ = ',';
        p = put_quoted(p, r.motorScore);
        *p++ = ',';
        p = put_int(p, r.cogScore);
        *p++ = ',';
        p = put_int(p, r.age);
        *p++ = ',';
        p = put_quoted(p, r.ruleVersion);
        *p++ = ',';
        p = put_quoted(p, r.grouperRelease);
        *p++ = ',';
        p = put_quoted(p, meaning);
    } else {
        p = put_int(p, line);
        p = put(p, ",\"result\":");
        p = put_int(p, r.result);
        p = put(p, ",\"cmgCode\":");
        p = put_quoted(p, r.cmgCode);
        p = put(p, ",\"returnCode\":");
        p = put_int(p, r.returnCode);
        p = put(p, ",\"motorScore\":");
        p = put_quoted(p, r.motorScore);
        p = put(p, ",\"cogScore\":");
        p = put_int(p, r.cogScore);
        p = put(p, ",\"age\":");
        p = put_int(p, r.age);
        p = put(p, ",\"ruleVersion\":");
        p = put_quoted(p, r.ruleVersion);
        p = put(p, ",\"grouperRelease\":");
        p = put_quoted(p, r.grouperRelease);
        p = put(p, ",\"meaning\":");
        p = put_quoted(p, meaning);
        *p++ = '}';
    }
    *p++ = '\n';
    out.commit(static_cast<std::size_t>(p - start));
}

}  // namespace kestrava::cli
