// callcmg401 as the external-procedure agent sees it: the order and arguments
// of its host calls, the errors it raises, and the grouping it passes through.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "oci_host.h"
#include "test_support.h"

using ocihost::host;
using ocihost::Raised;

namespace {

// The eight grouping arguments, prefilled with values grouping never writes
// so that any write shows.
struct Args {
    kt::Record record;
    char cmg[6] = "ZZZZZ";
    int rc = -7777;
    char motor[7] = "ZZZZZZ";
    int cog = -7777;
    int age = -7777;
    char rule[5] = "ZZZZ";
    char release[5] = "ZZZZ";

    explicit Args(const kt::Record& r) : record(r) {}
    int call() { return host().call(record.buf, cmg, &rc, motor, &cog, &age, rule, release); }
    kt::Result outputs(int result) const {
        return kt::Result{result, rc, cmg, motor, rule, release, cog, age};
    }
    bool operator==(const Args& o) const {
        return std::memcmp(record.buf, o.record.buf, sizeof record.buf) == 0 &&
               std::memcmp(cmg, o.cmg, sizeof cmg) == 0 && rc == o.rc &&
               std::memcmp(motor, o.motor, sizeof motor) == 0 && cog == o.cog && age == o.age &&
               std::memcmp(rule, o.rule, sizeof rule) == 0 &&
               std::memcmp(release, o.release, sizeof release) == 0;
    }
};

const std::string kRecordSize = std::to_string(4 * sizeof(void*));  // four pointers

// Host calls of a first call (no record registered yet), the n-th call of the host.
std::vector<std::string> first_call_log(int n = 1, int mem = 1) {
    const std::string c = std::to_string(n), h = "env" + c + ", err" + c;
    return {
        "ociepgoe(ctx" + c + ", &, &, &)",
        "OCIContextGetValue(" + h + ", key 1, keylen 4, value null)",
        "OCIMemoryAlloc(" + h + ", &, duration 5, size " + kRecordSize + ", flags 1)",
        "OCIContextSetValue(" + h + ", duration 10, key 1, keylen 4, mem" + std::to_string(mem) + ")",
        "OCIExtractInit(" + h + ")",
        "OCIExtractSetNumKeys(" + h + ", 3)",
        "OCIExtractTerm(" + h + ")",
        "OCIFileInit(" + h + ")",
        "OCIFileTerm(" + h + ")",
    };
}

// Host calls of a call that finds the registered record.
std::vector<std::string> later_call_log(int n) {
    const std::string c = std::to_string(n), h = "env" + c + ", err" + c;
    return {
        "ociepgoe(ctx" + c + ", &, &, &)",
        "OCIContextGetValue(" + h + ", key 1, keylen 4, value null)",
        "OCIFileInit(" + h + ")",
        "OCIFileTerm(" + h + ")",
    };
}

// Host calls that raise the host's last error text on call 1.
std::vector<std::string> last_error_log(const std::string& raisedText) {
    return {
        "ociepacm(ctx1, 256)",
        "OCIErrorGet(err1, record 1, sqlstate null, errcode &, buf acm1 "
        "\"unable to retrieve message\\n\", size 255, type 2)",
        "ociepmsg(ctx1, 20000, " + ocihost::quoted(raisedText) + ", 0)",
    };
}

// The stored record's four fields, in order.
std::vector<void*> stored_fields() {
    void** fields = static_cast<void**>(host().stored(1));
    return fields ? std::vector<void*>(fields, fields + 4) : std::vector<void*>{};
}

std::vector<void*> handles_of(int call) {
    auto h = host().handles(call);
    return {h.ctx, h.env, h.svc, h.err};
}

class Adapter : public ::testing::Test {
protected:
    void SetUp() override { host().reset(); }
    void TearDown() override { host().reset(); }
};

TEST_F(Adapter, FirstCallRegistersTheRecordAndGroupsBetweenFileInitAndTerm) {
    Args args(kt::valid_gg());
    const kt::Result expected = kt::group(args.record);
    // Grouping must happen after the file services start and before they end.
    std::vector<std::string> seen;
    host().onCall = [&](const std::string& call) {
        if (call == "OCIFileInit" || call == "OCIFileTerm")
            seen.push_back(call + (args.outputs(expected.result) == expected ? " grouped" : " not grouped"));
    };

    const int result = args.call();

    EXPECT_EQ(host().log, first_call_log());
    EXPECT_EQ(seen, (std::vector<std::string>{"OCIFileInit not grouped", "OCIFileTerm grouped"}));
    EXPECT_EQ(args.outputs(result), expected);
    EXPECT_EQ(expected.result, 0);
    EXPECT_TRUE(host().raised.empty());
    EXPECT_EQ(stored_fields(), handles_of(1));
}

TEST_F(Adapter, LaterCallFindsTheRecordAndRewritesItWithItsOwnHandles) {
    Args first(kt::valid_gg());
    ASSERT_EQ(first.call(), 0);
    void* registered = host().stored(1);

    Args second(kt::valid_item39());
    const int result = second.call();

    EXPECT_EQ(host().log, later_call_log(2));
    EXPECT_EQ(second.outputs(result), kt::group(second.record));
    EXPECT_EQ(host().stored(1), registered);
    EXPECT_EQ(stored_fields(), handles_of(2));
    EXPECT_EQ(host().allocations(), 1);
}

// Every failing set-up step: its message, -1, and nothing written.
TEST_F(Adapter, FailingSetUpRaises20000AndLeavesTheArgumentsAlone) {
    struct Row {
        const char* step;
        const char* fixedMessage;  // null: the host's last error text is raised
    };
    const Row rows[] = {
        {"ociepgoe", "failed to get OCI Connection"},
        {"OCIContextGetValue", "failed to get OCI Context"},
        {"OCIMemoryAlloc", "failed to get OCI Memory"},
        {"OCIContextSetValue", nullptr},
        {"OCIExtractInit", nullptr},
        {"OCIExtractSetNumKeys", nullptr},
        {"OCIExtractTerm", nullptr},
        {"OCIFileInit", nullptr},
    };
    for (const Row& row : rows) {
        for (bool hostHasText : {true, false}) {
            SCOPED_TRACE(std::string(row.step) + (hostHasText ? ", host text" : ", no host text"));
            host().reset();
            host().failing = {row.step};
            if (hostHasText) host().errorText = std::string("ORA-29400: ") + row.step + " failed\n";
            const std::string message =
                row.fixedMessage ? row.fixedMessage
                : hostHasText    ? std::string("ORA-29400: ") + row.step + " failed"
                                 : "unable to retrieve message";

            Args args(kt::valid_gg());
            const Args before = args;
            const int result = args.call();

            EXPECT_EQ(result, -1);
            EXPECT_TRUE(args == before) << "a grouping argument was written";
            EXPECT_EQ(host().raised, (std::vector<Raised>{{20000, message}}));
            // The set-up up to the failing step, then the error raising; no OCIFileTerm.
            auto expected = first_call_log();
            expected.erase(std::find_if(expected.begin(), expected.end(),
                                        [&](const std::string& e) { return e.rfind(row.step, 0) == 0; }) + 1,
                           expected.end());
            if (row.fixedMessage) {
                expected.push_back("ociepmsg(ctx1, 20000, " + ocihost::quoted(message) + ", 0)");
            } else {
                for (const auto& e : last_error_log(message)) expected.push_back(e);
            }
            EXPECT_EQ(host().log, expected);
        }
    }
}

TEST_F(Adapter, RaisedHostTextLosesOnlyItsLastCharacter) {
    struct Case { std::string hostText, raised; };
    const Case cases[] = {
        {"ORA-29400: data cartridge error\n", "ORA-29400: data cartridge error"},
        {"no newline", "no newlin"},
        {"x", ""},
        {"", ""},  // an empty text stays empty
        // The host writes at most 254 characters and the NUL into 255 bytes.
        {std::string(300, 'e'), std::string(253, 'e')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ocihost::quoted(c.hostText));
        host().reset();
        host().failing = {"OCIFileInit"};
        host().errorText = c.hostText;
        Args args(kt::valid_gg());
        EXPECT_EQ(args.call(), -1);
        EXPECT_EQ(host().raised, (std::vector<Raised>{{20000, c.raised}}));
    }
}

TEST_F(Adapter, NoMemoryForTheErrorTextRaisesTheDefaultWithoutWritingThroughNull) {
    host().failing = {"OCIFileInit"};
    host().errorText = "never fetched\n";
    host().noCallMemory = true;
    Args args(kt::valid_gg());
    const Args before = args;

    EXPECT_EQ(args.call(), -1);

    EXPECT_TRUE(args == before);
    EXPECT_EQ(host().raised, (std::vector<Raised>{{20000, "unable to retrieve message"}}));
    EXPECT_EQ(host().log.back(), "ociepmsg(ctx1, 20000, \"unable to retrieve message\", 0)");
    EXPECT_EQ(std::count_if(host().log.begin(), host().log.end(),
                            [](const std::string& e) { return e.rfind("OCIErrorGet", 0) == 0; }),
              0);
}

TEST_F(Adapter, FailingFileTermChangesNothing) {
    host().failing = {"OCIFileTerm"};
    host().errorText = "ORA-29400: file services\n";
    Args args(kt::valid_item39());
    const int result = args.call();
    EXPECT_EQ(args.outputs(result), kt::group(args.record));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(host().log, first_call_log());
    EXPECT_TRUE(host().raised.empty());
}

TEST_F(Adapter, RejectedAssessmentComesBackAsItsCodeWithoutDatabaseError) {
    kt::Record rec = kt::valid_gg();
    rec.set("R40", "20100630");  // before the first rule version
    Args args(rec);
    const int result = args.call();
    EXPECT_EQ(result, 3);
    EXPECT_EQ(args.rc, 3);
    EXPECT_EQ(args.outputs(result), kt::group(rec));
    EXPECT_TRUE(host().raised.empty());
    EXPECT_EQ(host().log, first_call_log());
}

TEST_F(Adapter, ManyCallsReuseTheOneRegisteredRecord) {
    kt::Record rejected = kt::valid_gg();
    rejected.set("ASMT_SYS_CD", "irf-pai");
    kt::Record ageOver140 = kt::valid_gg();
    ageOver140.set("R6", "18790101").set("R12", "20200101");
    const kt::Record records[] = {kt::valid_gg(), kt::valid_item39(), rejected, ageOver140};

    for (int n = 1; n <= 40; ++n) {
        Args args(records[n % 4]);
        const int result = args.call();
        ASSERT_EQ(args.outputs(result), kt::group(records[n % 4])) << "call " << n;
        ASSERT_EQ(host().log, n == 1 ? first_call_log() : later_call_log(n)) << "call " << n;
        ASSERT_TRUE(host().raised.empty());
    }
    EXPECT_EQ(host().allocations(), 1);
    EXPECT_EQ(host().store.size(), 1u);
    EXPECT_EQ(stored_fields(), handles_of(40));
}

TEST_F(Adapter, FailedRegistrationLeavesNoRecordSoTheNextCallStartsAfresh) {
    host().failing = {"OCIContextSetValue"};
    Args failed(kt::valid_gg());
    ASSERT_EQ(failed.call(), -1);
    EXPECT_EQ(host().stored(1), nullptr);

    host().failing.clear();
    Args next(kt::valid_gg());
    EXPECT_EQ(next.call(), 0);
    EXPECT_EQ(host().log, first_call_log(2, 2));  // a second block, registered this time
    EXPECT_EQ(stored_fields(), handles_of(2));
}

}  // namespace
