// Builds assessment records from named items and groups them, so that test
// cases read as assessments rather than offsets.
#ifndef KESTRAVA_TESTS_SUPPORT_H
#define KESTRAVA_TESTS_SUPPORT_H

#include <cstring>
#include <ostream>
#include <stdexcept>
#include <string>

#include "engine.h"
#include "record.h"

namespace kt {

struct Record {
    char buf[kestrava::kRecordLength];
    Record() { kestrava::blank_record(buf); }

    // Places value at the item's position, for the value's own length.
    Record& set(const std::string& item, const std::string& value) {
        for (const auto& it : kestrava::iTems)
            if (item == it.itemName) return at(it.position, value);
        throw std::invalid_argument("no item " + item);
    }
    // Places value from 1-based position p.
    Record& at(int p, const std::string& value) {
        std::memcpy(buf + p - 1, value.data(), value.size());
        return *this;
    }
    // The impairment group code proper starts at position 722.
    Record& impairment(const std::string& code) { return at(720, "  " + code + std::string(7 - code.size(), ' ')); }
    // Comorbidity entry 0..24 (items R24A..R24Y).
    Record& comorbidity(int entry, const std::string& code) {
        static const char* names[] = {"R24A", "R24B", "R24C", "R24D", "R24E", "R24F", "R24G",
                                      "R24H", "R24I", "R24J", "R24K", "R24L", "R24M", "R24N",
                                      "R24O", "R24P", "R24Q", "R24R", "R24S", "R24T", "R24U",
                                      "R24V", "R24W", "R24X", "R24Y"};
        return set(names[entry], code);
    }
};

struct Result {
    int result = -1, returnCode = -1;
    std::string cmg, motor, rule, release;
    int cog = -1, age = -1;
    bool operator==(const Result& o) const {
        return result == o.result && returnCode == o.returnCode && cmg == o.cmg && motor == o.motor &&
               rule == o.rule && release == o.release && cog == o.cog && age == o.age;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Result& r) {
    return os << "{result " << r.result << ", rc " << r.returnCode << ", cmg \"" << r.cmg << "\", motor \""
              << r.motor << "\", cog " << r.cog << ", age " << r.age << ", rule \"" << r.rule
              << "\", release \"" << r.release << "\"}";
}

inline Result group(const Record& r, kestrava::Trace* trace = nullptr) {
    char cmg[6], motor[7], rule[5], release[5];
    Result out;
    out.result = kestrava::group_record(r.buf, cmg, &out.returnCode, motor, &out.cog, &out.age, rule,
                                        release, trace);
    out.cmg = cmg;
    out.motor = motor;
    out.rule = rule;
    out.release = release;
    return out;
}

// A valid Section GG assessment: discharge 20200510 (rule version 4.01),
// admitted 20200101 aged 70, impairment group 01.2 (RIC 01), every function
// item blank, no comorbidity.
inline Record valid_gg() {
    Record r;
    r.set("ASMT_SYS_CD", "IRF-PAI").set("TRANS_TYPE_CD", "1");
    r.set("R6", "19491215").set("R12", "20200101").set("R40", "20200510");
    r.impairment("01.2");
    return r;
}

// A valid item-39 assessment: discharge 20150510 (rule version 2.70).
inline Record valid_item39() {
    Record r = valid_gg();
    r.set("R12", "20150101").set("R40", "20150510");
    return r;
}

}  // namespace kt

#endif
