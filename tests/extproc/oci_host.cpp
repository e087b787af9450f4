#include "oci_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace ocihost {

namespace {

using Entry = int (*)(OCIExtProcContext*, char*, char*, int*, char*, int*, int*, char*, char*);

Entry entry() {
    static Entry fn = reinterpret_cast<Entry>(library_symbol("callcmg401"));
    return fn;
}

std::string key_text(const ub1* key, ub1 keylen) {
    if (key == nullptr) return "key null";
    if (keylen == sizeof(ub4)) {
        ub4 value;
        std::memcpy(&value, key, sizeof value);
        return "key " + std::to_string(value);
    }
    std::string hex = "key bytes";
    for (int i = 0; i < keylen; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, " %02x", key[i]);
        hex += b;
    }
    return hex;
}

}  // namespace

// Loads the library once, resolving every OCI service from this executable
// at load time (RTLD_NOW), as the agent would.
void* library_symbol(const char* name) {
    static void* lib = [] {
        void* handle = dlopen(KESTRAVA_DB_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) throw std::runtime_error(std::string("dlopen: ") + dlerror());
        return handle;
    }();
    void* sym = dlsym(lib, name);
    if (sym == nullptr) throw std::runtime_error(std::string("dlsym ") + name + ": " + dlerror());
    return sym;
}

Host& host() {
    static Host h;
    return h;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02x", c);
            out += b;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

void* Host::object(const std::string& name) {
    objects_.push_back(Object{0});
    void* p = &objects_.back();
    names_[p] = name;
    return p;
}

std::string Host::name(const void* p) const {
    if (p == nullptr) return "null";
    auto it = names_.find(p);
    return it != names_.end() ? it->second : "unknown";
}

void Host::record(const char* call, const std::string& args) {
    log.push_back(std::string(call) + "(" + args + ")");
    if (onCall) onCall(call);
}

void* Host::allocate(size_t size, bool perCall) {
    auto& pool = perCall ? callMemory_ : memory_;
    pool.emplace_back(new unsigned char[size]);
    unsigned char* block = pool.back().get();
    if (perCall) {
        // Not zeroed: the adapter must put its own default text in first.
        std::memset(block, '#', size);
        block[size - 1] = '\0';
        names_[block] = "acm" + std::to_string(++callMemoryCount_);
    } else {
        std::memset(block, 0, size);
        names_[block] = "mem" + std::to_string(memory_.size());
    }
    return block;
}

void* Host::stored(ub4 key) const {
    auto it = store.find(std::string(reinterpret_cast<const char*>(&key), sizeof key));
    return it != store.end() ? it->second : nullptr;
}

int Host::call(char* irfRecord, char* cmgCode, int* returnCode, char* motorScore, int* cogScore,
               int* age, char* ruleVersion, char* grouperRelease) {
    Entry fn = entry();
    const std::string n = std::to_string(handles_.size() + 1);
    handles_.push_back(CallHandles{static_cast<OCIExtProcContext*>(object("ctx" + n)),
                                   static_cast<OCIEnv*>(object("env" + n)),
                                   static_cast<OCISvcCtx*>(object("svc" + n)),
                                   static_cast<OCIError*>(object("err" + n))});
    log.clear();
    raised.clear();
    inCall_ = true;
    const int result = fn(current().ctx, irfRecord, cmgCode, returnCode, motorScore, cogScore, age,
                          ruleVersion, grouperRelease);
    inCall_ = false;
    for (auto& block : callMemory_) names_.erase(block.get());
    callMemory_.clear();
    return result;
}

void Host::reset() {
    failing.clear();
    errorText.reset();
    noCallMemory = false;
    onCall = nullptr;
    log.clear();
    raised.clear();
    store.clear();
    objects_.clear();
    names_.clear();
    handles_.clear();
    memory_.clear();
    callMemory_.clear();
    callMemoryCount_ = 0;
}

}  // namespace ocihost

// --- The OCI services, exported from the executable for the library. ---

using ocihost::host;

namespace {
constexpr sword kFailed = -1;  // any non-zero status is a failure to the adapter

std::string handles2(void* hdl, OCIError* err) { return host().name(hdl) + ", " + host().name(err); }
}  // namespace

#define HOST_EXPORT __attribute__((visibility("default")))

extern "C" {

HOST_EXPORT sword ociepgoe(OCIExtProcContext* with_context, OCIEnv** envh, OCISvcCtx** svch,
                           OCIError** errh) {
    auto addr = [](const void* p) { return p ? "&" : "null"; };
    host().record("ociepgoe", host().name(with_context) + ", " + addr(envh) + ", " + addr(svch) +
                                  ", " + addr(errh));
    if (host().fails("ociepgoe")) return kFailed;
    *envh = host().current().env;
    *svch = host().current().svc;
    *errh = host().current().err;
    return OCI_SUCCESS;
}

HOST_EXPORT int ociepmsg(OCIExtProcContext* with_context, int error_number, OraText* error_message,
                         size_t len) {
    // The host takes the message now; the adapter's buffer is gone after the call.
    const std::string message = len == 0
                                    ? std::string(reinterpret_cast<char*>(error_message))
                                    : std::string(reinterpret_cast<char*>(error_message), len);
    host().record("ociepmsg", host().name(with_context) + ", " + std::to_string(error_number) + ", " +
                                  ocihost::quoted(message) + ", " + std::to_string(len));
    host().raised.push_back({error_number, message});
    return 0;
}

HOST_EXPORT void* ociepacm(OCIExtProcContext* with_context, size_t amount) {
    host().record("ociepacm", host().name(with_context) + ", " + std::to_string(amount));
    if (host().noCallMemory || !host().inCall()) return nullptr;
    return host().allocate(amount, true);
}

HOST_EXPORT sword OCIContextGetValue(void* hdl, OCIError* err, ub1* key, ub1 keylen,
                                     void** ctx_value) {
    host().record("OCIContextGetValue", handles2(hdl, err) + ", " + ocihost::key_text(key, keylen) +
                                            ", keylen " + std::to_string(keylen) + ", value " +
                                            host().name(*ctx_value));
    if (host().fails("OCIContextGetValue")) return kFailed;
    auto it = host().store.find(std::string(reinterpret_cast<char*>(key), keylen));
    if (it != host().store.end()) *ctx_value = it->second;
    return OCI_SUCCESS;
}

HOST_EXPORT sword OCIContextSetValue(void* hdl, OCIError* err, OCIDuration duration, ub1* key,
                                     ub1 keylen, void* ctx_value) {
    host().record("OCIContextSetValue", handles2(hdl, err) + ", duration " +
                                            std::to_string(duration) + ", " + ocihost::key_text(key, keylen) +
                                            ", keylen " + std::to_string(keylen) + ", " +
                                            host().name(ctx_value));
    if (host().fails("OCIContextSetValue")) return kFailed;
    host().store[std::string(reinterpret_cast<char*>(key), keylen)] = ctx_value;
    return OCI_SUCCESS;
}

HOST_EXPORT sword OCIMemoryAlloc(void* hdl, OCIError* err, void** mem, OCIDuration dur, ub4 size,
                                 ub4 flags) {
    host().record("OCIMemoryAlloc", handles2(hdl, err) + ", " + (mem ? "&" : "null") +
                                        ", duration " + std::to_string(dur) + ", size " +
                                        std::to_string(size) + ", flags " + std::to_string(flags));
    if (host().fails("OCIMemoryAlloc")) return kFailed;
    *mem = host().allocate(size, false);
    return OCI_SUCCESS;
}

#define HOST_SIMPLE_CALL(fn)                                   \
    HOST_EXPORT sword fn(void* hdl, OCIError* err) {           \
        host().record(#fn, handles2(hdl, err));                \
        return host().fails(#fn) ? kFailed : OCI_SUCCESS;      \
    }
HOST_SIMPLE_CALL(OCIExtractInit)
HOST_SIMPLE_CALL(OCIExtractTerm)
HOST_SIMPLE_CALL(OCIFileInit)
HOST_SIMPLE_CALL(OCIFileTerm)
#undef HOST_SIMPLE_CALL

HOST_EXPORT sword OCIExtractSetNumKeys(void* hdl, OCIError* err, uword numkeys) {
    host().record("OCIExtractSetNumKeys", handles2(hdl, err) + ", " + std::to_string(numkeys));
    return host().fails("OCIExtractSetNumKeys") ? kFailed : OCI_SUCCESS;
}

HOST_EXPORT sword OCIErrorGet(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep,
                              OraText* bufp, ub4 bufsiz, ub4 type) {
    host().record("OCIErrorGet",
                  host().name(hndlp) + ", record " + std::to_string(recordno) + ", sqlstate " +
                      (sqlstate ? "&" : "null") + ", errcode " + (errcodep ? "&" : "null") +
                      ", buf " + host().name(bufp) + " " +
                      (bufp ? ocihost::quoted(reinterpret_cast<char*>(bufp)) : "") + ", size " +
                      std::to_string(bufsiz) + ", type " + std::to_string(type));
    if (host().fails("OCIErrorGet") || !host().errorText || bufp == nullptr || bufsiz == 0)
        return kFailed;
    const std::string& text = *host().errorText;
    const size_t n = std::min<size_t>(text.size(), bufsiz - 1);
    std::memcpy(bufp, text.data(), n);
    bufp[n] = '\0';
    if (errcodep) *errcodep = 29400;
    return OCI_SUCCESS;
}

}  // extern "C"
