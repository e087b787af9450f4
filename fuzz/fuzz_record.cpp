// libFuzzer target: CMG_401 on arbitrary full-length records.
#include <cstdio>
#include <cstdlib>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string fault = kestrava_fuzz::check_record_input(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "CMG_401 property broken: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
