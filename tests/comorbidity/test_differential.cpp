// The indexed tier stage against the linear reference on a million generated
// stays: codes drawn from every list of the stay's rule version and from other
// versions' lists, pairs of the combination lists, RICs that the drawn rows
// exclude, end codes, blank and mis-filled entries, dates in every window and
// in none.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "comorbidity.h"
#include "comorbidity_lists.h"
#include "linear_tier.h"

namespace {

using kestrava::CmdTableSet;
using kestrava::kComorbidityEntries;
using Codes = char[kComorbidityEntries][9];

constexpr long kRecords = 1000000;

// Discharge date values: a few in each window, and values in no window.
const std::vector<long> kDischarges = {
    20100701, 20100930, 20101001, 20110930, 20111001, 20140930, 20141001, 20150930, 20151001,
    20160930, 20161001, 20170930, 20171001, 20180930, 20181001, 20190930, 20191001, 20200331,
    20200401, 20250101, 20100931, 20200350, 20200400};

class StayGenerator {
public:
    explicit StayGenerator(std::uint64_t seed) : rng_(seed) {}

    long discharge;
    char ric[3];
    Codes codes;

    void next() {
        discharge = kDischarges[pick(kDischarges.size())];
        const CmdTableSet* set = kestrava::tier_tables_for(discharge);
        const CmdTableSet& lists = set ? *set : kestrava::kCmdTableSets[pick(kestrava::kCmdRuleVersions)];
        std::string ricFrom = " ";
        for (auto& c : codes) std::memcpy(c, "        ", 9);
        const int filled = pick(4) == 0 ? static_cast<int>(pick(kComorbidityEntries + 1)) : static_cast<int>(pick(7));
        for (int n = 0; n < filled; ++n) {
            const int at = static_cast<int>(pick(kComorbidityEntries));
            const unsigned kind = static_cast<unsigned>(pick(100));
            if (kind < 30) {
                const auto& l = *lists.single;
                const int r = 1 + static_cast<int>(pick(l.rows));
                put(at, l.codeAt(r));
                if (pick(2)) ricFrom = l.ricAt(r);
            } else if (kind < 50 && lists.combination) {
                const auto& l = *lists.combination;
                const int r = 1 + static_cast<int>(pick(l.rows));
                put(at, l.code1[r]);
                if (pick(4)) put(static_cast<int>(pick(kComorbidityEntries)), l.code2[r]);
                if (pick(2)) ricFrom = l.ric[r];
            } else if (kind < 62 && lists.etiology) {
                const auto& l = *lists.etiology;
                const int r = 1 + static_cast<int>(pick(l.rows));
                put(at, l.code[r]);
                if (pick(2)) ricFrom = l.ric[r];
            } else if (kind < 72) {
                // Any list of any version.
                const auto& other = kestrava::kCmdTableSets[pick(kestrava::kCmdRuleVersions)];
                const auto& l = *other.single;
                put(at, l.codeAt(1 + static_cast<int>(pick(l.rows))));
            } else if (kind < 76) {
                put(at, pick(2) ? "^^^^^^^^" : "^");
            } else if (kind < 86) {
                const auto& l = *lists.single;
                put(at, misfilled(l.codeAt(1 + static_cast<int>(pick(l.rows)))).c_str());
            } else {
                char junk[9];
                static const char alphabet[] = "ABEJKTVZ0123456789.^ ";
                for (int i = 0; i < 8; ++i) junk[i] = alphabet[pick(sizeof alphabet - 1)];
                junk[8] = '\0';
                put(at, junk);
            }
        }
        // Half the stays take their RIC from an exclusion list of a drawn row.
        std::vector<std::string> pieces;
        for (std::size_t i = 0; i + 1 < ricFrom.size() + 1; ++i)
            if (std::isdigit(static_cast<unsigned char>(ricFrom[i])) && i + 1 < ricFrom.size() &&
                std::isdigit(static_cast<unsigned char>(ricFrom[i + 1])))
                pieces.push_back(ricFrom.substr(i++, 2));
        const int n = pieces.empty() || pick(2) ? 1 + static_cast<int>(pick(21)) : 0;
        if (n) std::snprintf(ric, sizeof ric, "%02d", n);
        else std::memcpy(ric, pieces[pick(pieces.size())].c_str(), 3);
    }

private:
    std::mt19937_64 rng_;
    std::size_t pick(std::size_t n) { return static_cast<std::size_t>(rng_() % n); }

    // A code as placed in the 8-character item: left-aligned, blank-filled.
    void put(int entry, const char* code) {
        const std::size_t n = std::strlen(code);
        std::memcpy(codes[entry], "        ", 9);
        std::memcpy(codes[entry], code, n > 8 ? 8 : n);
    }

    // Spellings that must match nothing, or (blanks) match after blank removal.
    std::string misfilled(const std::string& code) {
        std::string c = code;
        switch (pick(4)) {
            case 0:
                for (auto& ch : c) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                break;
            case 1:
                while (!c.empty() && c.back() == '^') c.pop_back();
                break;
            case 2:
                c.erase(c.find('.'), 1);
                break;
            default:
                if (c.size() < 8) c.insert(pick(c.size() + 1), " ");
        }
        return c;
    }
};

TEST(TierDifferential, IndexedStageAgreesWithLinearScans) {
    StayGenerator gen(20201001);
    std::map<char, long> byPass;
    long flaggedStays = 0, excludedSkips = 0;
    for (long i = 0; i < kRecords; ++i) {
        gen.next();
        Codes indexed, linear;
        std::memcpy(indexed, gen.codes, sizeof indexed);
        std::memcpy(linear, gen.codes, sizeof linear);
        const kt::LinearTier want = kt::linear_comorbidity_tier(gen.discharge, gen.ric, linear);
        if (i % 8 == 0) {
            kestrava::TierTrace trace;
            const char got = kestrava::comorbidity_tier(gen.discharge, gen.ric, indexed, &trace);
            const std::vector<int> flagged(trace.flaggedEtiologyRows, trace.flaggedEtiologyRows + trace.flaggedCount);
            ASSERT_TRUE(got == want.tier && trace.decidingPass == want.pass && trace.decidingRow == want.row &&
                        flagged == want.flagged)
                << "stay " << i << ": discharge " << gen.discharge << " RIC " << gen.ric << " tier " << got
                << " vs " << want.tier << ", pass " << (trace.decidingPass ? trace.decidingPass : '-') << " vs "
                << (want.pass ? want.pass : '-') << ", row " << trace.decidingRow << " vs " << want.row;
            excludedSkips += trace.excludedRowsSkipped > 0;
        } else {
            const char got = kestrava::comorbidity_tier(gen.discharge, gen.ric, indexed, nullptr);
            ASSERT_EQ(got, want.tier) << "stay " << i << ": discharge " << gen.discharge << " RIC " << gen.ric;
        }
        ++byPass[want.pass];
        flaggedStays += !want.flagged.empty();
    }
    // The stays reach every outcome often.
    for (char pass : {'\0', 's', 'c', 'e'}) EXPECT_GT(byPass[pass], kRecords / 100) << "pass " << pass;
    EXPECT_GT(flaggedStays, kRecords / 1000);
    EXPECT_GT(excludedSkips, kRecords / 1000);
    std::printf("%ld stays: %ld no tier, %ld single-code, %ld combination, %ld etiology; %ld with flags\n",
                kRecords, byPass['\0'], byPass['s'], byPass['c'], byPass['e'], flaggedStays);
}

}  // namespace
