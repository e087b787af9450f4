// Property checks over the grouping calls, for the fuzz targets and the
// regression replay.  Every buffer handed to the library is a heap block of
// exactly the documented size, so an overrun by one byte is an AddressSanitizer
// finding rather than a silent write into a neighbour.
#include "harness.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine.h"
#include "record.h"
#include "xml_frontend.h"

namespace kestrava_fuzz {
namespace {

constexpr std::size_t kCmgSize = 6, kMotorSize = 7, kRuleSize = 5, kReleaseSize = 5;
constexpr unsigned char kSentinelByte = 0xA5;
constexpr int kSentinelInt = -0x5A5A5A5A;

// The seven result arguments, each in its own exactly sized heap block and
// filled with a sentinel before the call.
struct Outputs {
    std::unique_ptr<char[]> cmg{new char[kCmgSize]}, motor{new char[kMotorSize]},
        rule{new char[kRuleSize]}, release{new char[kReleaseSize]};
    std::unique_ptr<int> returnCode{new int}, cog{new int}, age{new int};

    Outputs() {
        std::memset(cmg.get(), kSentinelByte, kCmgSize);
        std::memset(motor.get(), kSentinelByte, kMotorSize);
        std::memset(rule.get(), kSentinelByte, kRuleSize);
        std::memset(release.get(), kSentinelByte, kReleaseSize);
        *returnCode = *cog = *age = kSentinelInt;
    }

    // Every byte of every buffer, so two calls can be compared exactly.
    std::string bytes() const {
        std::string s;
        s.append(cmg.get(), kCmgSize).append(motor.get(), kMotorSize);
        s.append(rule.get(), kRuleSize).append(release.get(), kReleaseSize);
        for (const int* v : {returnCode.get(), cog.get(), age.get()})
            s.append(reinterpret_cast<const char*>(v), sizeof *v);
        return s;
    }
};

bool terminated(const char* buf, std::size_t size) { return std::memchr(buf, '\0', size) != nullptr; }

bool is_rule_version(const char* s) {
    static const char* const versions[] = {"2.40", "2.50", "2.60", "2.70", "2.82", "2.90",
                                           "3.00", "3.10", "4.00", "4.01", "    "};
    for (const char* v : versions)
        if (std::strcmp(s, v) == 0) return true;
    return false;
}

// What CMG_401 promises about its outputs for a given result.
std::string check_grouped(int result, const Outputs& o) {
    if (result != *o.returnCode)
        return "result " + std::to_string(result) + " differs from returnCode " +
               std::to_string(*o.returnCode);
    switch (result) {
        case 0: case 1: case 2: case 3: case 5: case 6: case 7: case 9: break;
        default: return "result " + std::to_string(result) + " is no grouping result code";
    }
    if (!terminated(o.cmg.get(), kCmgSize)) return "cmgCode not terminated within 6 bytes";
    if (!terminated(o.motor.get(), kMotorSize)) return "motorScore not terminated within 7 bytes";
    if (!terminated(o.rule.get(), kRuleSize)) return "ruleVersion not terminated within 5 bytes";
    if (!terminated(o.release.get(), kReleaseSize)) return "grouperRelease not terminated within 5 bytes";
    if (std::strcmp(o.release.get(), "4.01") != 0) return "grouperRelease is not \"4.01\"";
    if (!is_rule_version(o.rule.get())) return std::string("ruleVersion \"") + o.rule.get() + "\" is no rule version";
    if (*o.age == kSentinelInt || *o.cog == kSentinelInt) return "age or cogScore left unwritten";
    if (result == 0) {
        const char* c = o.cmg.get();
        bool digits = std::all_of(c + 1, c + 5, [](char d) { return d >= '0' && d <= '9'; });
        if (std::strlen(c) != 5 || c[0] < 'A' || c[0] > 'D' || !digits)
            return std::string("grouped cmgCode \"") + c + "\" is not a tier letter and four digits";
        if (std::strlen(o.motor.get()) == 0) return "grouped motorScore is empty";
    } else {
        if (std::strcmp(o.cmg.get(), "     ") != 0) return "rejected record has a cmgCode";
        if (std::strcmp(o.motor.get(), " 0.0") != 0) return "rejected record has a motorScore";
        if (*o.cog != 0) return "rejected record has a cogScore";
        if (result != 7 && result != 9 && *o.age != 0) return "age written before the age check";
    }
    return "";
}

void record_from(const std::uint8_t* data, std::size_t size, char* record) {
    kestrava::blank_record(record);
    if (size == 0) return;
    const std::uint8_t* p = data + 1;
    std::size_t left = size - 1;
    if (data[0] % 2 == 0) {
        std::memcpy(record, p, std::min<std::size_t>(left, kestrava::kRecordLength));
        return;
    }
    for (int i = 0; i < kestrava::kItemCount && left > 0; ++i) {
        const kestrava::IrfItem& item = kestrava::iTems[i];
        std::size_t width = item.width + (i == kestrava::IMPRMNT_GRP_ADMSN_CD ? 1 : 0);
        std::size_t n = std::min(width, left);
        std::memcpy(record + item.position - 1, p, n);
        p += n;
        left -= n;
    }
}

}  // namespace

std::string check_record_input(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<char[]> record(new char[kestrava::kRecordLength]);
    record_from(data, size, record.get());
    const std::string before(record.get(), kestrava::kRecordLength);

    Outputs first;
    int result = kestrava::group_record(record.get(), first.cmg.get(), first.returnCode.get(),
                                        first.motor.get(), first.cog.get(), first.age.get(),
                                        first.rule.get(), first.release.get());
    std::string fault = check_grouped(result, first);
    if (!fault.empty()) return fault;
    if (before != std::string(record.get(), kestrava::kRecordLength)) return "grouping wrote into the record";

    // The same record again, now in a block of exactly the 1615 bytes grouping
    // may read: the outputs must not change, and nothing past 1615 is read.
    std::unique_ptr<char[]> minimal(new char[kestrava::kRecordReadLength]);
    std::memcpy(minimal.get(), record.get(), kestrava::kRecordReadLength);
    Outputs second;
    int again = kestrava::group_record(minimal.get(), second.cmg.get(), second.returnCode.get(),
                                       second.motor.get(), second.cog.get(), second.age.get(),
                                       second.rule.get(), second.release.get());
    if (again != result || second.bytes() != first.bytes()) return "grouping the same record twice differs";
    return "";
}

std::string check_xml_input(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<char[]> text(new char[size + 1]);
    if (size) std::memcpy(text.get(), data, size);
    text[size] = '\0';
    const std::string before(text.get(), size + 1);

    Outputs untouched, first;
    int result = kestrava::group_xml_text(text.get(), first.cmg.get(), first.returnCode.get(),
                                          first.motor.get(), first.cog.get(), first.age.get(),
                                          first.rule.get(), first.release.get());
    if (before != std::string(text.get(), size + 1)) return "the XML call wrote into its text";
    if (result == 99) {
        if (first.bytes() != untouched.bytes()) return "result 99 but a result argument was written";
    } else {
        std::string fault = check_grouped(result, first);
        if (!fault.empty()) return "XML: " + fault;
    }

    Outputs second;
    int again = kestrava::group_xml_text(text.get(), second.cmg.get(), second.returnCode.get(),
                                         second.motor.get(), second.cog.get(), second.age.get(),
                                         second.rule.get(), second.release.get());
    if (again != result || second.bytes() != first.bytes()) return "grouping the same XML twice differs";
    return "";
}

}  // namespace kestrava_fuzz
