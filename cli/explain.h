// "kestrava explain": how one record got its result, told from the engine's
// own trace of the grouping call.
#ifndef KESTRAVA_CLI_EXPLAIN_H
#define KESTRAVA_CLI_EXPLAIN_H

#include "options.h"

namespace kestrava::cli {

// Returns the exit status: 0 when the record was explained, 1 when it could
// not be read.
int run_explain(const Options& options);

}  // namespace kestrava::cli

#endif
