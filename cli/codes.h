// Result codes of the grouping calls and their meanings in words.
#ifndef KESTRAVA_CLI_CODES_H
#define KESTRAVA_CLI_CODES_H

namespace kestrava::cli {

struct ResultCode {
    int code;
    const char* meaning;
};

// Every code a grouping call can return, in ascending order.
extern const ResultCode kResultCodes[];
extern const int kResultCodeCount;

// Meaning of a code; a fixed text for a code the grouper never returns.
const char* result_meaning(int code);

}  // namespace kestrava::cli

#endif
