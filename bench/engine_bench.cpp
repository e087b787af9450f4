// CMG_401 per record: a typical record, the worst case for the comorbidity
// search (25 codes in no list, ICD-10-CM rule version), an item-39 record and
// a rejected record; and, side by side, the same records with the tier stage
// done by linear scans of the lists.  Run: build/bench/engine_bench (see the
// README); items_per_second is records per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine.h"
#include "record.h"
#include "test_support.h"

// The linear reference of the test tree, compiled into this program.
#include "comorbidity/linear_tier.cpp"

namespace {

using kestrava::iTems;

kt::Record& item(kt::Record& r, int index, const char* value) { return r.at(iTems[index].position, value); }

// Section GG, rule version 4.01, RIC 05, six codes before the end code: one
// single-code row (tier D), one combination code, codes in no list.
kt::Record typical() {
    kt::Record r = kt::valid_gg();
    r.impairment("04.110");
    const char* values[] = {"04", "05", "03", "02", "04", "03", "02", "04",
                            "04", "03", "03", "03", "02", "02", "88", "09"};
    for (int k = 0; k < 16; ++k) item(r, kestrava::GG0130A1 + k, values[k]);
    item(r, kestrava::H0350, "2");
    item(r, kestrava::H0400, "1");
    const char* codes[] = {"I10.^^^^", "E11.65^^", "E78.5^^^", "K55.011^", "N18.3^^^", "F32.9^^^", "^^^^^^^^"};
    for (int k = 0; k < 7; ++k) r.comorbidity(k, codes[k]);
    return r;
}

// 25 well-formed ICD-10-CM codes that no list of 4.01 holds: every pass runs
// and compares every code.
const char* const kCodesInNoList[25] = {
    "I10.^^^^", "E78.5^^^", "Z79.01^^", "M17.11^^", "N18.3^^^", "E03.9^^^", "K21.9^^^",
    "F32.9^^^", "G47.30^^", "I48.91^^", "Z96.651^", "M81.0^^^", "E55.9^^^", "D64.9^^^",
    "R26.81^^", "Z87.891^", "I25.10^^", "E66.9^^^", "M54.5^^^", "H91.90^^", "Z91.81^^",
    "R53.1^^^", "Z74.09^^", "I95.9^^^", "Z86.73^^"};

kt::Record worst_case() {
    kt::Record r = typical();
    for (int k = 0; k < 25; ++k) r.comorbidity(k, kCodesInNoList[k]);
    return r;
}

// Item-39 scheme, rule version 2.70, ICD-9-CM codes.
kt::Record item39() {
    kt::Record r = kt::valid_item39();
    r.impairment("04.110");
    for (int k = 0; k <= kestrava::MEMRY_ADMSN_CD - kestrava::EATG_ADMSN_CD; ++k)
        item(r, kestrava::EATG_ADMSN_CD + k, k % 3 ? "4" : "3");
    const char* codes[] = {"401.9", "250.00", "272.4", "V44.0", "^"};
    for (int k = 0; k < 5; ++k) r.comorbidity(k, codes[k]);
    return r;
}

// Fails the first check (assessment system code).
kt::Record rejected() {
    kt::Record r = typical();
    r.set("ASMT_SYS_CD", "IRF-PAX");
    return r;
}

struct Outputs {
    char cmg[6], motor[7], rule[5], release[5];
    int rc, cog, age;
};

int group(const kt::Record& r, Outputs& o) {
    return kestrava::group_record(r.buf, o.cmg, &o.rc, o.motor, &o.cog, &o.age, o.rule, o.release);
}

void CMG_401(benchmark::State& state, kt::Record (*make)(), int wantResult) {
    const kt::Record record = make();
    Outputs o;
    if (group(record, o) != wantResult) return state.SkipWithError("record does not give the expected result");
    for (auto _ : state) {
        benchmark::DoNotOptimize(group(record, o));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// The same call with the tier letter found by linear scans: the record
// without its codes is grouped (every stage but the search), then the linear
// stage runs on its 25 code fields, as the grouping call reads them.
void CMG_401_linear(benchmark::State& state, kt::Record (*make)(), int wantResult) {
    const kt::Record record = make();
    kt::Record noCodes = record;
    for (int k = 0; k < 25; ++k) noCodes.comorbidity(k, "        ");
    char fields[25][9];
    for (int k = 0; k < 25; ++k) {
        const auto& it = iTems[k < 10 ? kestrava::CMRBD_COND_A_CD + k : kestrava::CMRBD_COND_K_CD + k - 10];
        std::memcpy(fields[k], record.buf + it.position - 1, 8);
        fields[k][8] = '\0';
    }
    Outputs o;
    const long discharge = kestrava::to_long(record.buf + iTems[kestrava::DSCHGR_DT].position - 1);
    if (group(record, o) != wantResult) return state.SkipWithError("record does not give the expected result");
    const char wantTier = o.cmg[0];
    const std::string ric = "05";
    {
        char codes[25][9];
        std::memcpy(codes, fields, sizeof codes);
        if (wantResult == 0 && kt::linear_comorbidity_tier(discharge, ric.c_str(), codes).tier != wantTier)
            return state.SkipWithError("linear stage disagrees with the library");
    }
    for (auto _ : state) {
        const int result = group(noCodes, o);
        if (result == 0) {
            char codes[25][9];
            std::memcpy(codes, fields, sizeof codes);
            o.cmg[0] = kt::linear_comorbidity_tier(discharge, ric.c_str(), codes).tier;
        }
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// The tier stage alone, indexed and linear, on the worst-case codes.
void TierStage(benchmark::State& state, bool linear) {
    char fields[25][9];
    for (int k = 0; k < 25; ++k) std::memcpy(fields[k], kCodesInNoList[k], 9);
    const long discharge = 20200510;
    {
        char codes[25][9];
        std::memcpy(codes, fields, sizeof codes);
        if (kt::linear_comorbidity_tier(discharge, "05", codes).tier != 'A')
            return state.SkipWithError("a worst-case code is in a list");
    }
    for (auto _ : state) {
        char codes[25][9];
        std::memcpy(codes, fields, sizeof codes);
        const char tier = linear ? kt::linear_comorbidity_tier(discharge, "05", codes).tier
                                 : kestrava::comorbidity_tier(discharge, "05", codes, nullptr);
        benchmark::DoNotOptimize(tier);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(CMG_401, typical, typical, 0);
BENCHMARK_CAPTURE(CMG_401_linear, typical, typical, 0);
BENCHMARK_CAPTURE(CMG_401, worst_case, worst_case, 0);
BENCHMARK_CAPTURE(CMG_401_linear, worst_case, worst_case, 0);
BENCHMARK_CAPTURE(CMG_401, item39, item39, 0);
BENCHMARK_CAPTURE(CMG_401_linear, item39, item39, 0);
BENCHMARK_CAPTURE(CMG_401, rejected, rejected, 1);
BENCHMARK_CAPTURE(CMG_401_linear, rejected, rejected, 1);
BENCHMARK_CAPTURE(TierStage, worst_case_indexed, false);
BENCHMARK_CAPTURE(TierStage, worst_case_linear, true);

}  // namespace

BENCHMARK_MAIN();
