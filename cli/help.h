// Help, version and result-code listings of the kestrava tool.
#ifndef KESTRAVA_CLI_HELP_H
#define KESTRAVA_CLI_HELP_H

namespace kestrava::cli {

void print_help();
void print_version();
void print_codes();

}  // namespace kestrava::cli

#endif
