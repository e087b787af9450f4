// The exported C calls of libKestrava: thin wrappers over the engine.
#include "kestrava.h"

#include "comorbidity.h"
#include "engine.h"
#include "xml_frontend.h"

#if defined(_WIN32)
#  define KESTRAVA_EXPORT  // exports are fixed by the module-definition file
#else
#  define KESTRAVA_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

KESTRAVA_EXPORT int KESTRAVA_CALL CMG_401(char* irfRecord, char* cmgCode, int* returnCode,
                                          char* motorScore, int* cogScore, int* age,
                                          char* ruleVersion, char* grouperRelease) {
    return kestrava::group_record(irfRecord, cmgCode, returnCode, motorScore, cogScore, age,
                                  ruleVersion, grouperRelease);
}

KESTRAVA_EXPORT int KESTRAVA_CALL CMG_401_XML(char* xmlText, char* cmgCode, int* returnCode,
                                              char* motorScore, int* cogScore, int* age,
                                              char* ruleVersion, char* grouperRelease) {
    return kestrava::group_xml_text(xmlText, cmgCode, returnCode, motorScore, cogScore, age,
                                    ruleVersion, grouperRelease);
}

KESTRAVA_EXPORT int KESTRAVA_CALL CMG_401_XML_FILE(char* xmlPath, char* cmgCode, int* returnCode,
                                                   char* motorScore, int* cogScore, int* age,
                                                   char* ruleVersion, char* grouperRelease) {
    return kestrava::group_xml_file(xmlPath, cmgCode, returnCode, motorScore, cogScore, age,
                                    ruleVersion, grouperRelease);
}

#if !defined(_WIN32)
KESTRAVA_EXPORT int kestrava_tier_list_status(const char* ruleVersion, int* rowsPresent,
                                              int* rowsExpected) {
    return kestrava::tier_list_status(ruleVersion, rowsPresent, rowsExpected);
}
#endif

}  // extern "C"
