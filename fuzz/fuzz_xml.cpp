// libFuzzer target: CMG_401_XML on arbitrary text.  The front end prints one
// diagnostic line on standard output for every unreadable document; run with
// -close_fd_mask=1 to keep it quiet.
#include <cstdio>
#include <cstdlib>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string fault = kestrava_fuzz::check_xml_input(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "CMG_401_XML property broken: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
