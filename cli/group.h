// "kestrava group": groups every record of the inputs and writes the results.
#ifndef KESTRAVA_CLI_GROUP_H
#define KESTRAVA_CLI_GROUP_H

#include "options.h"

namespace kestrava::cli {

// Returns the exit status: 0, or 1 when an input or the output failed.
int run_group(const Options& options);

}  // namespace kestrava::cli

#endif
