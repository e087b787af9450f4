#include "help.h"

#include <cstdio>

#include "codes.h"
#include "engine.h"
#include "record.h"

#ifndef KESTRAVA_TOOL_VERSION
#error "KESTRAVA_TOOL_VERSION comes from the CMake project version"
#endif

namespace kestrava::cli {

void print_help() {
    std::fputs(
        R"(NAME
    kestrava - group IRF-PAI assessments into case-mix groups (CMGs)

SYNOPSIS
    kestrava [group] [OPTION...] [FILE...]
    kestrava explain [--line N] [FILE]
    kestrava codes
    kestrava --help | --version

DESCRIPTION
    kestrava assigns each inpatient rehabilitation assessment its case-mix
    group under the IRF payment rules of its discharge date (rule versions
    2.40 to 4.01), with the grouper the Kestrava library is built on.

    group (the default command) reads every FILE in turn, or standard input
    when no FILE is given or FILE is "-", groups every assessment and writes
    one result per assessment to standard output, in input order.

    explain groups one fixed-width record (the first line of FILE, or line N)
    or the XML assessment FILE holds, and prints, for a person, how its result came about: every validation
    check, the age computation, the impairment group and its RIC, each motor
    and cognitive item as read and as used, the scores, the decision-table row
    that gave the CMG number with its bands, and the comorbidity passes with
    the row that decided the tier letter.

    codes lists the result codes and their meanings.

    Without a command, kestrava groups: "kestrava FILE..." is "kestrava group
    FILE...". A file named like a command is given as ./group, ./codes, ...

INPUT
    Fixed-width records: one IRF-PAI record per line (2784 positions; only
    positions 1 to 1615 are read). A shorter line is padded with blanks, a
    trailing CR is dropped, and a line longer than the record is cut.
    XML assessments: one document per file, a top-level ASSESSMENT element
    with one child element per item (for example <R40>20200510</R40>).
    The format of each input is detected from its content (a document whose
    first character, after white space, is "<" is XML) unless --format says.

OUTPUT
    CSV (default), with a header line, or JSON Lines; one line per assessment:
      input           the file name, "-" for standard input
      line            the line number (1 for an XML document)
      result          the grouping call's result code (see kestrava codes)
      cmgCode         tier letter and CMG number, e.g. "A0103"; five blanks
                      when not grouped
      returnCode      the code the call stored (equal to result; 99 for an
                      XML document that could not be parsed)
      motorScore      "36.6" (item-39 scheme), "52" (Section GG scheme)
      cogScore        cognitive score, item-39 scheme only (else 0)
      age             age in whole years on the admission date
      ruleVersion     rule version of the discharge date
      grouperRelease  grouper release, "4.01"
      meaning         the result code in words
    Text fields are quoted in CSV so that leading blanks survive.

OPTIONS
    -o, --output csv|jsonl
        Output format (default csv).
    --no-header
        Leave out the CSV header line.
    -f, --format auto|records|xml
        Input format (default auto: detected per input).
    -j, --threads N
        Group on N threads (default: one per core). The output is in input
        order and byte for byte the same for every N.
    --no-progress
        No progress bar. The bar (records done, rate, time left) is drawn on
        standard error only when it is a terminal and every input is a
        regular file.
    --explain
        Same as the explain command.
    --line N
        explain: the line of FILE to explain (default 1).
    -h, --help
        This text.
    -V, --version
        The tool version and the grouper release.

DIAGNOSTICS
    A record that fails a check is never an error: it gets its result code
    and the batch goes on. An input that cannot be opened or read is reported
    on standard error, the other inputs are still grouped, and the exit
    status is 1. When records are grouped under a rule version whose bundled
    comorbidity single-code list is incomplete, one warning on standard error
    says so at the end of the run (see "Comorbidity tier lists" in the
    README).

EXIT STATUS
    0   every input was read and every result written
    1   an input could not be opened or read, or the output could not be
        written (the other inputs were still grouped)
    2   the command line was wrong

EXAMPLES
    kestrava samples/records.txt
    kestrava group --output jsonl --threads 4 january.txt february.txt
    cat records.txt | kestrava group - > results.csv
    kestrava group assessment.xml
    kestrava explain --line 3 samples/records.txt
)",
        stdout);
}

void print_version() {
    // The release comes from the engine itself: it reports it on every call.
    char record[kRecordLength], cmg[6], motor[7], rule[5], release[5];
    int rc, cog, age;
    blank_record(record);
    group_record(record, cmg, &rc, motor, &cog, &age, rule, release);
    std::printf("kestrava %s (grouper release %s)\n", KESTRAVA_TOOL_VERSION, release);
}

void print_codes() {
    for (int i = 0; i < kResultCodeCount; ++i)
        std::printf("%3d  %s%s\n", kResultCodes[i].code, kResultCodes[i].meaning,
                    kResultCodes[i].code == 99 ? " (XML input only)" : "");
}

}  // namespace kestrava::cli
