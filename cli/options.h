// Command line of the kestrava tool.
#ifndef KESTRAVA_CLI_OPTIONS_H
#define KESTRAVA_CLI_OPTIONS_H

#include <string>
#include <vector>

namespace kestrava::cli {

enum class Command { Group, Explain, Codes, Help, Version };
enum class InputFormat { Auto, Records, Xml };
enum class OutputFormat { Csv, Jsonl };

struct Options {
    Command command = Command::Group;
    InputFormat format = InputFormat::Auto;
    OutputFormat output = OutputFormat::Csv;
    int threads = 0;          // 0: one per core
    bool progress = true;     // still only on a terminal with a known input size
    bool header = true;       // CSV header line
    long long explainLine = 1;
    std::vector<std::string> inputs;  // empty: standard input
};

// Parses argv.  On a usage error returns false and sets error.
bool parse_options(int argc, char** argv, Options& options, std::string& error);

}  // namespace kestrava::cli

#endif
