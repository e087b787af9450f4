// CMG_401_XML per document: parse a typical Section GG assessment, build its
// record and group it.  Run: build/bench/xml_bench (see the README).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "xml_frontend.h"

namespace {

// A full assessment: every item grouping reads, as a facility would send it.
std::string typical_document() {
    std::string d =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ASSESSMENT>\n"
        "  <ASMT_SYS_CD>IRF-PAI</ASMT_SYS_CD>\n  <TRANS_TYPE_CD>1</TRANS_TYPE_CD>\n"
        "  <R6>19491215</R6>\n  <R12>20200101</R12>\n  <R40>20200510</R40>\n  <R21A>0001.2</R21A>\n"
        "  <R24A>Z99.2^^^</R24A>\n  <R24B>E11.65^^</R24B>\n  <R24C>I10.^^^^</R24C>\n";
    const char* gg[] = {"GG0130A1", "GG0130B1", "GG0130C1", "GG0130E1", "GG0130F1", "GG0130G1",
                        "GG0130H1", "GG0170B1", "GG0170C1", "GG0170D1", "GG0170E1", "GG0170F1",
                        "GG0170I1", "GG0170J1", "GG0170K1", "GG0170M1"};
    const char* values[] = {"04", "05", "03", "02", "04", "03", "02", "04",
                            "04", "03", "03", "03", "02", "02", "88", "09"};
    for (int k = 0; k < 16; ++k) d += std::string("  <") + gg[k] + ">" + values[k] + "</" + gg[k] + ">\n";
    d += "  <H0350>2</H0350>\n  <H0400>1</H0400>\n</ASSESSMENT>\n";
    return d;
}

struct Outputs {
    char cmg[6], motor[7], rule[5], release[5];
    int rc, cog, age;
};

// A document that does not group would time the wrong path.
void check(benchmark::State& state, int result) {
    if (result != 0) state.SkipWithError(("document not grouped, result " + std::to_string(result)).c_str());
}

void CMG_401_XML(benchmark::State& state) {
    const std::string doc = typical_document();
    Outputs o;
    int result = 0;
    for (auto _ : state) {
        result = kestrava::group_xml_text(doc.c_str(), o.cmg, &o.rc, o.motor, &o.cog, &o.age, o.rule, o.release);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(o);
    }
    check(state, result);
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("items = documents");
}
BENCHMARK(CMG_401_XML);

void CMG_401_XML_FILE(benchmark::State& state) {
    char path[] = "/tmp/kestrava-xml-bench-XXXXXX";
    int fd = mkstemp(path);
    const std::string doc = typical_document();
    if (fd < 0 || write(fd, doc.data(), doc.size()) != static_cast<ssize_t>(doc.size())) {
        state.SkipWithError("cannot write the document file");
        return;
    }
    close(fd);
    Outputs o;
    int result = 0;
    for (auto _ : state) {
        result = kestrava::group_xml_file(path, o.cmg, &o.rc, o.motor, &o.cog, &o.age, o.rule, o.release);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(o);
    }
    std::remove(path);
    check(state, result);
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("items = documents");
}
BENCHMARK(CMG_401_XML_FILE);

}  // namespace

BENCHMARK_MAIN();
