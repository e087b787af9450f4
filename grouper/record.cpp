#include "record.h"

#include <cstring>

namespace kestrava {

void Trim_CMRBD(char* code) {
    // A NUL among the 8 characters is kept like any non-blank, so the copy
    // back ends at it.
    char TrimCMRBD[9];
    int n = 0;
    for (int i = 0; i < 8; ++i)
        if (code[i] != ' ') TrimCMRBD[n++] = code[i];
    TrimCMRBD[n] = '\0';
    std::strcpy(code, TrimCMRBD);
}

void blank_record(char* record) {
    std::memset(record, ' ', kRecordLength);
    record[kRecordLength - 2] = '%';
    record[kRecordLength - 1] = '\0';
}

}  // namespace kestrava
