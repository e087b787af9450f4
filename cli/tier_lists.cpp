#include "tier_lists.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "comorbidity.h"

namespace kestrava::cli {

void TierListTally::add(const char* ruleVersion, long long records) {
    if (size_ == 16) return;  // ten rule versions exist
    Entry& e = entries_[size_++];
    std::memcpy(e.version, ruleVersion, 4);
    e.version[4] = '\0';
    e.present = e.expected = 0;
    // A date in no window runs no comorbidity pass: nothing to warn about.
    e.status = std::strcmp(e.version, "    ") == 0 ? 1 : kestrava::tier_list_status(e.version, &e.present, &e.expected);
    e.records = records;
}

void TierListTally::merge(const TierListTally& other) {
    for (int j = 0; j < other.size_; ++j) {
        const Entry& o = other.entries_[j];
        int i = 0;
        while (i < size_ && std::strcmp(entries_[i].version, o.version) != 0) ++i;
        if (i < size_) entries_[i].records += o.records;
        else add(o.version, o.records);
    }
}

bool TierListTally::warn(std::FILE* to) const {
    // In version order, whatever order the threads met them in.
    const Entry* sorted[16];
    for (int i = 0; i < size_; ++i) sorted[i] = &entries_[i];
    std::sort(sorted, sorted + size_, [](const Entry* a, const Entry* b) { return std::strcmp(a->version, b->version) < 0; });
    std::string versions;
    long long records = 0;
    for (int i = 0; i < size_; ++i) {
        const Entry& e = *sorted[i];
        if (e.status != 0 || e.records == 0) continue;
        if (!versions.empty()) versions += ", ";
        versions += std::string(e.version) + " (" + std::to_string(e.present) + " of " +
                    std::to_string(e.expected) + " rows)";
        records += e.records;
    }
    if (versions.empty()) return false;
    const bool several = versions.find(',') != std::string::npos;
    std::fprintf(to,
                 "kestrava: warning: %lld grouped record%s fell under rule version%s %s, whose bundled "
                 "comorbidity single-code list%s incomplete: the payer's tier \"D\" rows are missing. A "
                 "stay whose only comorbidities are on the missing rows is grouped with tier \"A\" here "
                 "where the payer's list gives \"D\". See \"Comorbidity tier lists\" in the README for "
                 "importing the payer's published list.\n",
                 records, records == 1 ? "" : "s", several ? "s" : "", versions.c_str(), several ? "s are" : " is");
    return true;
}

const char* TierListTally::incomplete_note(const char* ruleVersion, char* buf, int size) {
    int present = 0, expected = 0;
    if (kestrava::tier_list_status(ruleVersion, &present, &expected) != 0) return "";
    std::snprintf(buf, size,
                  "the bundled single-code list of rule version %s is incomplete (%d of %d rows): a "
                  "comorbidity on a missing tier \"D\" row is not seen here",
                  ruleVersion, present, expected);
    return buf;
}

}  // namespace kestrava::cli
