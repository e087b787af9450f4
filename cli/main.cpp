// kestrava: groups IRF-PAI assessments from files or standard input, and
// explains single results.  See print_help() for the interface.
#include <cstdio>
#include <string>

#include "explain.h"
#include "group.h"
#include "help.h"
#include "options.h"

int main(int argc, char** argv) {
    using namespace kestrava::cli;
    Options options;
    std::string error;
    if (!parse_options(argc, argv, options, error)) {
        std::fprintf(stderr, "kestrava: %s\nTry 'kestrava --help'.\n", error.c_str());
        return 2;
    }
    switch (options.command) {
        case Command::Help: print_help(); return 0;
        case Command::Version: print_version(); return 0;
        case Command::Codes: print_codes(); return 0;
        case Command::Explain: return run_explain(options);
        case Command::Group: break;
    }
    return run_group(options);
}
