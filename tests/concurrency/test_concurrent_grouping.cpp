// Many threads grouping at once must get exactly the answers of one thread
// grouping alone.  The records are chosen to keep the comorbidity stage busy
// in every pass -- combination pairs present but excluded for the RIC (which
// flag etiology rows), etiology codes alone, single-code rows with and without
// exclusions, end codes -- in every rule version of both schemes, so that any
// state shared between calls (etiology flags, a comma splitter's position)
// shows up as a differing tier letter.  Rejected records are mixed in.
//
// Each record is grouped through the exported CMG_401, through the engine
// with an explain trace, and as an XML document through CMG_401_XML.
#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "impairment_groups.h"
#include "kestrava.h"
#include "test_support.h"

namespace {

constexpr int kRecords = 1500;
constexpr int kThreads = 4;
constexpr int kRounds = 6;

// Discharge dates: both bounds of every rule version window, dates inside,
// a value in no window, and one before the first version.
const char* const kDischarges[] = {
    "20100701", "20100930", "20101001", "20110930", "20111001", "20140930", "20141001",
    "20150930", "20151001", "20160930", "20161001", "20170930", "20171001", "20180930",
    "20181001", "20190930", "20191001", "20200331", "20200401", "20230615", "20200350",
    "20100630"};

const char* const kIcd9Codes[] = {"478.31", "V44.0", "V45.11", "008.42", "438.82", "787.20",
                                  "579.3", "430.", "^^^^^^^^", "V44.0 "};
const char* const kSingleCodes[] = {"Z99.2^^^", "J38.01^^", "R13.0^^^", "K91.2^^^", "A04.7^^^",
                                    "A04.71^^", "I69.091^", "B96.5^^^"};
// Codes of the combination and etiology lists: pairs that some RICs exclude,
// and etiology codes that give "D" alone.
const char* const kPairCodes[] = {"B39.4^^^", "G02.^^^^", "J17.^^^^", "B39.5^^^", "I32.^^^^",
                                  "E11.40^^", "E11.65^^", "E11.21^^", "E10.40^^", "E10.65^^",
                                  "T80.0XXA", "I26.90^^", "I26.99^^", "T81.718A", "K25.0^^^",
                                  "K56.600^", "K56.60^^", "E08.65^^", "E09.21^^", "I39.^^^^"};
// Codes that match nothing: wrong case, no fill, stray blanks, end code.
const char* const kOddCodes[] = {"z99.2^^^", "Z99.2", "Z992^^^^", " E11.65^", "^^^^^^^^", "E11 .65^"};
// Combination pairs with a RIC that excludes them: the pair flags its
// etiology rows, so it groups "A" with that RIC, while either code alone (or
// the pair with another RIC) gives "D".  A flag lost or leaked between calls
// turns one into the other.
struct ExcludedPair {
    const char *code1, *code2, *ric;
};
const ExcludedPair kExcludedPairs[] = {{"E11.40^^", "E11.65^^", "06"}, {"T80.0XXA", "I26.90^^", "15"},
                                       {"B39.4^^^", "G02.^^^^", "05"}, {"B39.5^^^", "G02.^^^^", "03"},
                                       {"B39.9^^^", "I39.^^^^", "14"}, {"E10.40^^", "E10.65^^", "06"}};
const char* const kRics[] = {"01", "03", "05", "06", "14", "15"};
const char* const kScores[] = {"01", "02", "03", "04", "05", "06", "07", "88", "09", "10",
                               "00", "  ", "-1", "99", "7 "};

template <typename T, std::size_t N>
const char* pick(std::mt19937& rng, T (&pool)[N]) {
    return pool[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

// An impairment group of the given RIC (any RIC when null).
std::string impairment_for(std::mt19937& rng, const char* ric) {
    std::vector<int> rows;
    for (int k = 1; k <= kestrava::kImpairmentRows; ++k)
        if (!ric || std::string(kestrava::Ric240[k]) == ric) rows.push_back(k);
    return kestrava::Imp240[rows[std::uniform_int_distribution<std::size_t>(0, rows.size() - 1)(rng)]];
}

kt::Record make_record(std::mt19937& rng) {
    auto chance = [&](int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; };
    const std::string discharge = pick(rng, kDischarges);
    const bool icd9 = discharge < "20151001";

    kt::Record r;
    r.set("ASMT_SYS_CD", chance(3) ? "IRF PAI" : "IRF-PAI");
    r.set("TRANS_TYPE_CD", chance(3) ? "3" : "1");
    r.set("R40", discharge);
    r.set("R12", discharge.substr(0, 4) + "0101");
    const int birthYear = std::uniform_int_distribution<int>(1870, 2012)(rng);
    std::string birth = std::to_string(birthYear) + (chance(50) ? "0620" : "1231");
    if (chance(4)) birth = std::to_string(birthYear) + "    ";
    if (chance(2)) birth = discharge.substr(0, 4) + "    ";
    r.set("R6", birth);
    const ExcludedPair& pair = kExcludedPairs[std::uniform_int_distribution<std::size_t>(
        0, std::size(kExcludedPairs) - 1)(rng)];
    const bool pairCase = !icd9 && chance(40);
    const char* ric = pairCase ? (chance(70) ? pair.ric : pick(rng, kRics)) : chance(50) ? pick(rng, kRics) : nullptr;
    r.impairment(chance(4) ? "99.9" : impairment_for(rng, ric));

    for (const char* item : {"R39AA", "R39BA", "R39CA", "R39DA", "R39EA", "R39FA", "R39GA", "R39HA",
                             "R39IA", "R39JA", "R39LA", "R39MA", "R39NA", "R39OA", "R39PA", "R39QA",
                             "R39RA", "GG0130A1", "GG0130B1", "GG0130C1", "GG0130E1", "GG0130F1",
                             "GG0130G1", "GG0130H1", "GG0170B1", "GG0170C1", "GG0170D1", "GG0170E1",
                             "GG0170F1", "GG0170I1", "GG0170J1", "GG0170K1", "GG0170M1"})
        r.set(item, pick(rng, kScores));
    r.set("H0350", std::string(1, "0123459 "[std::uniform_int_distribution<int>(0, 7)(rng)]));
    r.set("H0400", std::string(1, "012349 "[std::uniform_int_distribution<int>(0, 6)(rng)]));

    auto entry = [&] { return std::uniform_int_distribution<int>(0, 24)(rng); };
    if (pairCase) {
        r.comorbidity(entry(), pair.code1);
        if (chance(75)) r.comorbidity(entry(), pair.code2);
    }
    // Up to six more codes in random entries of the 25.
    const int codes = std::uniform_int_distribution<int>(0, pairCase ? 2 : 6)(rng);
    for (int c = 0; c < codes; ++c) {
        const char* code = icd9 ? pick(rng, kIcd9Codes)
                           : chance(65) ? pick(rng, kPairCodes)
                           : chance(60) ? pick(rng, kSingleCodes)
                                        : pick(rng, kOddCodes);
        r.comorbidity(entry(), code);
    }
    return r;
}

// The record as an XML assessment: one element per item that is not blank.
std::string to_xml(const kt::Record& r) {
    std::string xml = "<?xml version=\"1.0\"?>\n<ASSESSMENT>";
    for (const auto& item : kestrava::iTems) {
        const bool group = std::string(item.itemName) == "R21A";
        std::string value(r.buf + item.position - 1, group ? 9 : item.width);
        if (value.find_first_not_of(' ') == std::string::npos) continue;
        // The parser drops leading blanks; the impairment group proper starts
        // two positions into its field, so those two carry zeros.
        if (group && value.compare(0, 2, "  ") == 0) value.replace(0, 2, "00");
        xml += "<" + std::string(item.itemName) + ">" + value + "</" + item.itemName + ">";
    }
    return xml + "</ASSESSMENT>\n";
}

enum class Entry { exported, traced, xml };

kt::Result group_via(Entry entry, const kt::Record& r, std::string& xml) {
    kt::Result out;
    char cmg[6], motor[7], rule[5], release[5];
    switch (entry) {
        case Entry::exported:
            out.result = CMG_401(const_cast<char*>(r.buf), cmg, &out.returnCode, motor, &out.cog, &out.age,
                                 rule, release);
            break;
        case Entry::traced: {
            kestrava::Trace trace;
            return kt::group(r, &trace);
        }
        case Entry::xml:
            out.result = CMG_401_XML(&xml[0], cmg, &out.returnCode, motor, &out.cog, &out.age, rule, release);
            if (out.result == KESTRAVA_XML_UNREADABLE) return out;  // outputs untouched
            break;
    }
    out.cmg = cmg;
    out.motor = motor;
    out.rule = rule;
    out.release = release;
    return out;
}

TEST(ConcurrentGrouping, ThreadsGetTheSerialResults) {
    std::mt19937 rng(20200510);
    std::vector<kt::Record> records;
    std::vector<std::string> xml;
    for (int i = 0; i < kRecords; ++i) {
        records.push_back(make_record(rng));
        xml.push_back(to_xml(records.back()));
    }

    std::vector<kt::Result> serial, serialXml;
    int grouped = 0, tiered = 0;
    for (int i = 0; i < kRecords; ++i) {
        serial.push_back(group_via(Entry::exported, records[i], xml[i]));
        serialXml.push_back(group_via(Entry::xml, records[i], xml[i]));
        grouped += serial.back().result == 0;
        tiered += serial.back().result == 0 && serial.back().cmg[0] != 'A';
    }
    // The set must exercise the grouped path broadly, not only rejections.
    ASSERT_GT(grouped, kRecords / 2);

    struct Mismatch {
        int count = 0;
        std::string first;
    };
    std::vector<Mismatch> mismatches(kThreads);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::vector<std::string> ownXml = xml;  // CMG_401_XML takes char*
            ready.fetch_add(1);
            while (ready.load() < kThreads) std::this_thread::yield();
            for (int round = 0; round < kRounds; ++round) {
                for (int n = 0; n < kRecords; ++n) {
                    // Each thread walks the set from its own offset and picks
                    // the entry by position, so the same record is grouped in
                    // different passes on different threads at the same time.
                    const int i = (n + t * kRecords / kThreads) % kRecords;
                    const Entry entry = static_cast<Entry>((n + t + round) % 3);
                    const kt::Result got = group_via(entry, records[i], ownXml[i]);
                    const kt::Result& want = entry == Entry::xml ? serialXml[i] : serial[i];
                    if (got == want) continue;
                    Mismatch& m = mismatches[t];
                    if (m.count++ == 0) {
                        std::ostringstream os;
                        os << "record " << i << " via entry " << static_cast<int>(entry) << ": got " << got
                           << ", serial " << want;
                        m.first = os.str();
                    }
                }
            }
        });
    }
    for (auto& th : threads) th.join();

    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t].count, 0) << "thread " << t << ": " << mismatches[t].first;
    // And the concurrent run left nothing behind that changes a later result.
    for (int i = 0; i < kRecords; ++i) ASSERT_EQ(group_via(Entry::exported, records[i], xml[i]), serial[i]) << i;
    RecordProperty("grouped", grouped);
    RecordProperty("tiered", tiered);
}

}  // namespace
