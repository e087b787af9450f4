// kestrava: groups fixed-width IRF-PAI records, one per line, and writes one
// CSV line per record.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine.h"
#include "record.h"

namespace {

// Quotes a text output so that leading blanks survive CSV readers.
void csv_text(std::string& out, const char* s) {
    out += '"';
    for (; *s; ++s) {
        if (*s == '"') out += '"';
        out += *s;
    }
    out += '"';
}

bool group_stream(std::FILE* in, const char* name, std::string& out) {
    char record[kestrava::kRecordLength];
    std::string line;
    long lineNo = 0;
    int c;
    bool more = true;
    while (more) {
        line.clear();
        while ((c = std::fgetc(in)) != EOF && c != '\n') line += static_cast<char>(c);
        if (c == EOF) {
            more = false;
            if (line.empty()) break;
        }
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Short lines are padded with blanks; the record keeps its end marker.
        kestrava::blank_record(record);
        std::memcpy(record, line.data(), std::min(line.size(), sizeof record - 2));

        char cmg[6], motor[7], rule[5], release[5];
        int rc = 0, cog = 0, age = 0;
        int result = kestrava::group_record(record, cmg, &rc, motor, &cog, &age, rule, release);
        out.clear();
        csv_text(out, name);
        out += ',' + std::to_string(lineNo) + ',';
        csv_text(out, cmg);
        out += ',' + std::to_string(rc) + ',';
        csv_text(out, motor);
        out += ',' + std::to_string(cog) + ',' + std::to_string(age) + ',';
        csv_text(out, rule);
        out += ',';
        csv_text(out, release);
        out += ',' + std::to_string(result) + '\n';
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    return !std::ferror(in);
}

}  // namespace

int main(int argc, char** argv) {
    std::puts("input,line,cmgCode,returnCode,motorScore,cogScore,age,ruleVersion,grouperRelease,result");
    std::string out;
    int status = 0;
    if (argc < 2) {
        if (!group_stream(stdin, "-", out)) status = 1;
    }
    for (int i = 1; i < argc; ++i) {
        bool useStdin = std::strcmp(argv[i], "-") == 0;
        std::FILE* in = useStdin ? stdin : std::fopen(argv[i], "rb");
        if (!in) {
            std::fprintf(stderr, "kestrava: cannot open %s: %s\n", argv[i], std::strerror(errno));
            status = 1;
            continue;
        }
        if (!group_stream(in, argv[i], out)) {
            std::fprintf(stderr, "kestrava: error reading %s\n", argv[i]);
            status = 1;
        }
        if (!useStdin) std::fclose(in);
    }
    return status;
}
