#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kestrava::cli {
namespace {

bool parse_count(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno || *end || v < low || v > high) return false;
    value = v;
    return true;
}

}  // namespace

bool parse_options(int argc, char** argv, Options& o, std::string& error) {
    int i = 1;
    // The subcommand is optional: "kestrava FILE..." groups, as it always has.
    if (i < argc) {
        std::string first = argv[i];
        if (first == "group") { o.command = Command::Group; ++i; }
        else if (first == "explain") { o.command = Command::Explain; ++i; }
        else if (first == "codes") { o.command = Command::Codes; ++i; }
    }
    bool optionsEnded = false;
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg == "-" || arg.size() < 2 || arg[0] != '-') {
            o.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") { optionsEnded = true; continue; }
        std::string name = arg, value;
        bool hasValue = false;
        if (std::size_t eq = arg.find('='); arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        } else if (arg.size() > 2 && arg[1] != '-' && std::strchr("jof", arg[1])) {
            name = arg.substr(0, 2);  // -j4, -ojsonl
            value = arg.substr(2);
            hasValue = true;
        }
        auto take = [&](std::string& out) {
            if (hasValue) { out = value; return true; }
            if (i + 1 >= argc) { error = "option " + name + " needs a value"; return false; }
            out = argv[++i];
            return true;
        };
        auto noValue = [&]() {
            if (hasValue) error = "option " + name + " takes no value";
            return !hasValue;
        };
        if (name == "-h" || name == "--help") {
            if (!noValue()) return false;
            o.command = Command::Help;
        } else if (name == "-V" || name == "--version") {
            if (!noValue()) return false;
            o.command = Command::Version;
        } else if (name == "--explain") {
            if (!noValue()) return false;
            o.command = Command::Explain;
        } else if (name == "--no-progress") {
            if (!noValue()) return false;
            o.progress = false;
        } else if (name == "--no-header") {
            if (!noValue()) return false;
            o.header = false;
        } else if (name == "-f" || name == "--format") {
            std::string v;
            if (!take(v)) return false;
            if (v == "auto") o.format = InputFormat::Auto;
            else if (v == "records" || v == "fixed") o.format = InputFormat::Records;
            else if (v == "xml") o.format = InputFormat::Xml;
            else { error = "unknown input format '" + v + "' (auto, records or xml)"; return false; }
        } else if (name == "-o" || name == "--output") {
            std::string v;
            if (!take(v)) return false;
            if (v == "csv") o.output = OutputFormat::Csv;
            else if (v == "jsonl" || v == "json") o.output = OutputFormat::Jsonl;
            else { error = "unknown output format '" + v + "' (csv or jsonl)"; return false; }
        } else if (name == "-j" || name == "--threads") {
            std::string v;
            long long n = 0;
            if (!take(v)) return false;
            if (!parse_count(v, 1, 1024, n)) { error = "--threads needs a whole number from 1 to 1024"; return false; }
            o.threads = static_cast<int>(n);
        } else if (name == "--line") {
            std::string v;
            if (!take(v)) return false;
            if (!parse_count(v, 1, 1LL << 62, o.explainLine)) { error = "--line needs a line number from 1"; return false; }
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    if (o.command == Command::Codes && !o.inputs.empty()) {
        error = "codes takes no file";
        return false;
    }
    if (o.command == Command::Explain && o.inputs.size() > 1) {
        error = "explain takes one file (or standard input)";
        return false;
    }
    return true;
}

}  // namespace kestrava::cli
