// The exported C calls of libKestrava: thin wrappers over the engine.
#include "kestrava.h"

#include "engine.h"

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

}  // extern "C"
