// Every input a fuzz target has ever been given on purpose -- the committed
// seeds and each finding, kept under inputs/<target>/ -- must satisfy the
// target's properties.  A finding's file name says what it once broke.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using Check = std::string (*)(const std::uint8_t*, std::size_t);

std::vector<fs::path> inputs_of(const std::string& target) {
    std::vector<fs::path> files;
    for (const fs::path& dir : {fs::path(KESTRAVA_SEEDS_DIR) / target, fs::path(KESTRAVA_FINDINGS_DIR) / target}) {
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    }
    return files;
}

void replay(const std::string& target, Check check) {
    const auto files = inputs_of(target);
    ASSERT_FALSE(files.empty()) << "no inputs for " << target;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "") << file;
    }
}

TEST(FuzzInputs, RecordInputsKeepTheGroupingContract) { replay("record", kestrava_fuzz::check_record_input); }

TEST(FuzzInputs, XmlInputsKeepTheGroupingContract) { replay("xml", kestrava_fuzz::check_xml_input); }

}  // namespace
