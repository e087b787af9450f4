// The few OCI services the external-procedure adapter uses, declared here from
// what the adapter passes and relies on.  They are defined by the process that
// loads libkestrava_db.so (the database's external-procedure agent, or the
// test host) and resolved from it at load time: no OCI library is linked.
//
// Only what the adapter needs is declared.  The handle types are opaque; the
// integer widths follow the OCI calling conventions so that the calls match
// the agent's definitions.
#ifndef KESTRAVA_EXTPROC_OCI_EXTPROC_H
#define KESTRAVA_EXTPROC_OCI_EXTPROC_H

#include <cstddef>

extern "C" {

// Opaque handles: the adapter only passes them back to the host.
struct OCIExtProcContext;
struct OCIEnv;
struct OCISvcCtx;
struct OCIError;

typedef int sword;            // status of an OCI call, 0 for success
typedef unsigned char ub1;
typedef unsigned short ub2;
typedef unsigned int ub4;
typedef int sb4;
typedef unsigned int uword;
typedef ub2 OCIDuration;
typedef unsigned char OraText;

// Status every status-returning call gives for success; anything else fails.
constexpr sword OCI_SUCCESS = 0;
// Memory and context durations: process memory outlives the call; a value
// stored under a key for the session is found again by later calls.
constexpr OCIDuration OCI_DURATION_PROCESS = 5;
constexpr OCIDuration OCI_DURATION_SESSION = 10;
// OCIMemoryAlloc flag: hand out zeroed memory.
constexpr ub4 OCI_MEMORY_CLEARED = 1;
// Handle type code of an error handle, for OCIErrorGet.
constexpr ub4 OCI_HTYPE_ERROR = 2;

// External-procedure services of the calling context.
sword ociepgoe(OCIExtProcContext* with_context, OCIEnv** envh, OCISvcCtx** svch, OCIError** errh);
// Raises error_number with a NUL-terminated message (len 0) to the database
// caller once the external procedure returns.
int ociepmsg(OCIExtProcContext* with_context, int error_number, OraText* error_message, size_t len);
// Memory that stays valid until the current call ends; null when none.
void* ociepacm(OCIExtProcContext* with_context, size_t amount);

// Values the host keeps under a key, across calls for the given duration.
sword OCIContextGetValue(void* hdl, OCIError* err, ub1* key, ub1 keylen, void** ctx_value);
sword OCIContextSetValue(void* hdl, OCIError* err, OCIDuration duration, ub1* key, ub1 keylen,
                         void* ctx_value);
sword OCIMemoryAlloc(void* hdl, OCIError* err, void** mem, OCIDuration dur, ub4 size, ub4 flags);

// Parameter-extraction and file services of the environment.
sword OCIExtractInit(void* hdl, OCIError* err);
sword OCIExtractSetNumKeys(void* hdl, OCIError* err, uword numkeys);
sword OCIExtractTerm(void* hdl, OCIError* err);
sword OCIFileInit(void* hdl, OCIError* err);
sword OCIFileTerm(void* hdl, OCIError* err);

// Writes the text of error record recordno into bufp (NUL-terminated, at most
// bufsiz bytes) when the handle holds one, and leaves bufp alone otherwise.
sword OCIErrorGet(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep, OraText* bufp,
                  ub4 bufsiz, ub4 type);

}  // extern "C"

#endif
