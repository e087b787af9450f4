// Counts records grouped under rule versions whose comorbidity single-code
// list is incomplete, and prints the one warning of a run about them.
#ifndef KESTRAVA_CLI_TIER_LISTS_H
#define KESTRAVA_CLI_TIER_LISTS_H

#include <cstdio>
#include <cstring>

namespace kestrava::cli {

class TierListTally {
public:
    // Notes one grouped record (result 0) of this rule version.
    void count(const char* ruleVersion) {
        for (int i = 0; i < size_; ++i)
            if (std::memcmp(entries_[i].version, ruleVersion, 4) == 0) {
                ++entries_[i].records;
                return;
            }
        add(ruleVersion, 1);
    }
    void merge(const TierListTally& other);
    // Prints the warning when some records fell under an incomplete list;
    // returns whether it did.
    bool warn(std::FILE* to) const;
    // The warning text for one rule version, or "" when its list is complete
    // or unknown.
    static const char* incomplete_note(const char* ruleVersion, char* buf, int size);

private:
    void add(const char* ruleVersion, long long records);
    struct Entry {
        char version[5];
        int status, present, expected;
        long long records;
    };
    Entry entries_[16];
    int size_ = 0;
};

}  // namespace kestrava::cli

#endif
