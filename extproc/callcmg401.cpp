// The external-procedure adapter: OCI set-up around one grouping call.
#include "callcmg401.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine.h"

namespace {

// What the adapter keeps with the host between calls.  All four fields are
// rewritten on every call: the context and handles belong to the running call.
struct myCtx {
    OCIExtProcContext* extProcCtx;
    OCIEnv* envHandle;
    OCISvcCtx* serviceHandle;  // stored, never read
    OCIError* errorHandle;
};

// The host stores the record under this 4-byte key.
const ub4 contextKey = 1;
const ub1 kContextKeyLength = sizeof contextKey;

// Per-call host memory for an error text; the host writes at most 255 bytes.
constexpr size_t kErrorTextBlock = 256;
constexpr ub4 kErrorTextRoom = 255;
// Room for one formatted message.
constexpr size_t kMessageBuffer = 8192;

const char kNoMessage[] = "unable to retrieve message\n";
// The default text as raised: without its closing newline.  Used when the host
// has no memory for the error text, so nothing is written through a null block.
const char kNoMessageRaised[] = "unable to retrieve message";

void raise_fixed(OCIExtProcContext* ctx, const char* message) {
    ociepmsg(ctx, kApplicationError, reinterpret_cast<OraText*>(const_cast<char*>(message)), 0);
}

__attribute__((format(printf, 3, 4)))
void raise_application_error(myCtx* record, int errorNumber, const char* format, ...) {
    char message[kMessageBuffer];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    ociepmsg(record->extProcCtx, errorNumber, reinterpret_cast<OraText*>(message), 0);
}

// The text of the host's last error, without its last character.
const char* lastOciError(myCtx* record) {
    char* block = static_cast<char*>(ociepacm(record->extProcCtx, kErrorTextBlock));
    if (block == nullptr) return kNoMessageRaised;
    std::strcpy(block, kNoMessage);
    sb4 errorCode = 0;  // required by the call, not used
    OCIErrorGet(record->errorHandle, 1, nullptr, &errorCode, reinterpret_cast<OraText*>(block),
                kErrorTextRoom, OCI_HTYPE_ERROR);
    block[kErrorTextBlock - 1] = '\0';  // terminated even if the host wrote all it had room for
    const size_t length = std::strlen(block);
    if (length > 0) block[length - 1] = '\0';
    return block;
}

void raise_last_oci_error(myCtx* record) {
    const char* text = lastOciError(record);
    raise_application_error(record, kApplicationError, "%s", text);
}

void fill(myCtx* record, OCIExtProcContext* ctx, OCIEnv* env, OCISvcCtx* svc, OCIError* err) {
    record->extProcCtx = ctx;
    record->envHandle = env;
    record->serviceHandle = svc;
    record->errorHandle = err;
}

// Fetches the call's handles and the stored record and starts the file
// services.  Null after raising an error when any step fails.
myCtx* init(OCIExtProcContext* ctx) {
    OCIEnv* env = nullptr;
    OCISvcCtx* svc = nullptr;
    OCIError* err = nullptr;
    if (ociepgoe(ctx, &env, &svc, &err) != OCI_SUCCESS) {
        raise_fixed(ctx, "failed to get OCI Connection");
        return nullptr;
    }

    ub4 key = contextKey;
    void* stored = nullptr;
    if (OCIContextGetValue(env, err, reinterpret_cast<ub1*>(&key), kContextKeyLength, &stored) !=
        OCI_SUCCESS) {
        raise_fixed(ctx, "failed to get OCI Context");
        return nullptr;
    }

    myCtx* record = static_cast<myCtx*>(stored);
    if (record == nullptr) {
        void* memory = nullptr;
        if (OCIMemoryAlloc(env, err, &memory, OCI_DURATION_PROCESS, sizeof(myCtx),
                           OCI_MEMORY_CLEARED) != OCI_SUCCESS) {
            raise_fixed(ctx, "failed to get OCI Memory");
            return nullptr;
        }
        record = static_cast<myCtx*>(memory);
        fill(record, ctx, env, svc, err);
        if (OCIContextSetValue(env, err, OCI_DURATION_SESSION, reinterpret_cast<ub1*>(&key),
                               kContextKeyLength, record) != OCI_SUCCESS ||
            OCIExtractInit(env, err) != OCI_SUCCESS ||
            OCIExtractSetNumKeys(env, err, 3) != OCI_SUCCESS ||
            OCIExtractTerm(env, err) != OCI_SUCCESS) {
            raise_last_oci_error(record);
            return nullptr;
        }
    } else {
        fill(record, ctx, env, svc, err);
    }

    if (OCIFileInit(record->envHandle, record->errorHandle) != OCI_SUCCESS) {
        raise_last_oci_error(record);
        return nullptr;
    }
    return record;
}

void term(myCtx* record) {
    OCIFileTerm(record->envHandle, record->errorHandle);  // its status changes nothing
}

}  // namespace

extern "C" int callcmg401(OCIExtProcContext* ctx, char* irfRecord, char* cmgCode, int* returnCode,
                          char* motorScore, int* cogScore, int* age, char* ruleVersion,
                          char* grouperRelease) {
    myCtx* record = init(ctx);
    if (record == nullptr) return -1;
    const int result = kestrava::group_record(irfRecord, cmgCode, returnCode, motorScore, cogScore,
                                              age, ruleVersion, grouperRelease);
    term(record);
    return result;
}
