// A stand-in for the database's external-procedure agent: it defines the OCI
// services the adapter uses (exported from the executable), loads the built
// libkestrava_db.so with dlopen and calls callcmg401 through dlsym.
//
// Every host call the adapter makes is recorded as one line with its
// arguments; handles, contexts and memory blocks are printed by name (ctx1,
// env1, mem1, acm1, ...; the number is the call that created them).  The
// context store and allocated memory persist across calls; ociepacm memory
// lasts one call.  Any step can be made to fail, the error text can be
// supplied or withheld, and ociepacm can return null.
#ifndef KESTRAVA_TESTS_EXTPROC_OCI_HOST_H
#define KESTRAVA_TESTS_EXTPROC_OCI_HOST_H

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "oci_extproc.h"

namespace ocihost {

struct Raised {
    int number;
    std::string message;
    bool operator==(const Raised& o) const { return number == o.number && message == o.message; }
};

// The context and handles the host hands to one call.
struct CallHandles {
    OCIExtProcContext* ctx;
    OCIEnv* env;
    OCISvcCtx* svc;
    OCIError* err;
};

class Host {
public:
    // --- configuration, kept until reset() ---
    std::set<std::string> failing;          // host calls that return an error status
    std::optional<std::string> errorText;   // what OCIErrorGet supplies; empty optional withholds it
    bool noCallMemory = false;              // ociepacm returns null
    std::function<void(const std::string& call)> onCall;  // run after each host call is recorded

    // --- what the last callcmg401 call did ---
    std::vector<std::string> log;
    std::vector<Raised> raised;

    // Calls callcmg401 in the loaded library as a new external-procedure call.
    int call(char* irfRecord, char* cmgCode, int* returnCode, char* motorScore, int* cogScore,
             int* age, char* ruleVersion, char* grouperRelease);

    // Forgets everything: configuration, context store, memory, call count.
    void reset();

    int calls() const { return static_cast<int>(handles_.size()); }
    CallHandles handles(int call) const { return handles_.at(call - 1); }  // 1-based
    // Value stored under a 4-byte key, or null.
    void* stored(ub4 key) const;
    int allocations() const { return static_cast<int>(memory_.size()); }

    // --- used by the OCI definitions ---
    std::string name(const void* p) const;
    bool fails(const char* call) const { return failing.count(call) != 0; }
    void record(const char* call, const std::string& args);
    bool inCall() const { return inCall_; }
    const CallHandles& current() const { return handles_.back(); }
    void* allocate(size_t size, bool perCall);
    std::map<std::string, void*> store;  // context store: key bytes -> value

private:
    struct Object { char tag; };  // something with an address to hand out
    std::deque<Object> objects_;
    std::map<const void*, std::string> names_;
    std::vector<CallHandles> handles_;
    std::vector<std::unique_ptr<unsigned char[]>> memory_;     // lives until reset()
    std::vector<std::unique_ptr<unsigned char[]>> callMemory_; // lives for one call
    int callMemoryCount_ = 0;
    bool inCall_ = false;
    void* object(const std::string& name);
};

Host& host();

// A symbol of the loaded libkestrava_db.so (loaded on first use); throws
// when the library does not define it.
void* library_symbol(const char* name);

// Text as the log prints it: quoted, with newlines and other control
// characters escaped.
std::string quoted(const std::string& text);

}  // namespace ocihost

#endif
