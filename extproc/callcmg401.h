// callcmg401: the entry the database's external-procedure agent calls to group
// one assessment record from a stored procedure or function.
//
// Per call it fetches the call's OCI handles, finds (or on the first call
// allocates and registers) the one context record the host keeps under key 1,
// initialises the OCI file services, groups the record exactly as CMG_401
// does, and terminates the file services.  When set-up fails it raises
// application error 20000 to the database caller, groups nothing, writes none
// of the eight grouping arguments and returns -1; otherwise it returns the
// grouping result (0, or the code of the failed check, which is not raised).
//
// No lock: the grouping engine is reentrant (all its working state, the
// etiology flags included, lives in the call), and the adapter keeps nothing
// between calls but the record the host stores for it, which each call
// rewrites with its own context and handles before using it.  Calls are
// expected one at a time per agent process.
#ifndef KESTRAVA_EXTPROC_CALLCMG401_H
#define KESTRAVA_EXTPROC_CALLCMG401_H

#include "oci_extproc.h"

#define KESTRAVA_DB_EXPORT __attribute__((visibility("default")))

// Error number of every error the adapter raises.
constexpr int kApplicationError = 20000;

extern "C" KESTRAVA_DB_EXPORT int callcmg401(OCIExtProcContext* ctx, char* irfRecord, char* cmgCode,
                                             int* returnCode, char* motorScore, int* cogScore,
                                             int* age, char* ruleVersion, char* grouperRelease);

#endif
