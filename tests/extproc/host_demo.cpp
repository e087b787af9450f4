// Shows the host calls of callcmg401: a first call that groups a record, a
// later call, and a set-up that fails.  Prints each call's log and outcome.
#include <cstdio>

#include "oci_host.h"
#include "test_support.h"

namespace {

void run(const char* title, const kt::Record& record) {
    kt::Record rec = record;
    char cmg[6] = "", motor[7] = "", rule[5] = "", release[5] = "";
    int rc = 0, cog = 0, age = 0;
    const int result = ocihost::host().call(rec.buf, cmg, &rc, motor, &cog, &age, rule, release);
    std::printf("== %s\n", title);
    for (const auto& line : ocihost::host().log) std::printf("  %s\n", line.c_str());
    for (const auto& e : ocihost::host().raised)
        std::printf("  raised: %d %s\n", e.number, ocihost::quoted(e.message).c_str());
    std::printf("  callcmg401 -> %d", result);
    if (result >= 0)
        std::printf("  cmg \"%s\" rc %d motor \"%s\" cog %d age %d rule \"%s\" release \"%s\"", cmg, rc,
                    motor, cog, age, rule, release);
    std::printf("\n");
}

}  // namespace

int main() {
    run("first call, groups a Section GG assessment", kt::valid_gg());
    run("later call, groups an item-39 assessment", kt::valid_item39());

    ocihost::host().reset();
    ocihost::host().failing = {"OCIFileInit"};
    ocihost::host().errorText = "ORA-29400: data cartridge error\n";
    run("fresh agent, OCIFileInit fails with a host error text", kt::valid_gg());

    ocihost::host().reset();
    ocihost::host().failing = {"ociepgoe"};
    run("fresh agent, the handles cannot be fetched", kt::valid_gg());
    return 0;
}
