// The grouping calls and record routines as the database library exports
// them: global functions with C++ linkage, so their exported names encode the
// parameter types.  Each one forwards to the engine or the XML front ends.
//
// This file must not see include/kestrava.h, which declares the same three
// grouping calls with C linkage for libKestrava.
#include "callcmg401.h"
#include "engine.h"
#include "record.h"
#include "xml_frontend.h"

KESTRAVA_DB_EXPORT int CMG_401(char* irfRecord, char* cmgCode, int* returnCode, char* motorScore,
                               int* cogScore, int* age, char* ruleVersion, char* grouperRelease) {
    return kestrava::group_record(irfRecord, cmgCode, returnCode, motorScore, cogScore, age,
                                  ruleVersion, grouperRelease);
}

KESTRAVA_DB_EXPORT int CMG_401_XML(char* xmlText, char* cmgCode, int* returnCode, char* motorScore,
                                   int* cogScore, int* age, char* ruleVersion,
                                   char* grouperRelease) {
    return kestrava::group_xml_text(xmlText, cmgCode, returnCode, motorScore, cogScore, age,
                                    ruleVersion, grouperRelease);
}

KESTRAVA_DB_EXPORT int CMG_401_XML_FILE(char* xmlPath, char* cmgCode, int* returnCode,
                                        char* motorScore, int* cogScore, int* age,
                                        char* ruleVersion, char* grouperRelease) {
    return kestrava::group_xml_file(xmlPath, cmgCode, returnCode, motorScore, cogScore, age,
                                    ruleVersion, grouperRelease);
}

KESTRAVA_DB_EXPORT void FillRecord(char* record, char* value, int position, int length) {
    kestrava::FillRecord(record, value, position, length);
}

KESTRAVA_DB_EXPORT void FillData(char* record, char* field, int position, int length) {
    kestrava::FillData(record, field, position, length);
}

KESTRAVA_DB_EXPORT void Trim_CMRBD(char* code) { kestrava::Trim_CMRBD(code); }
