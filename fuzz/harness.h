// Property checks shared by the libFuzzer targets and the regression replay
// test: each takes one raw input, groups it, and returns an empty string when
// every property holds, else a description of the first one broken.
#ifndef KESTRAVA_FUZZ_HARNESS_H
#define KESTRAVA_FUZZ_HARNESS_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrava_fuzz {

// CMG_401 on a record built from the input.  The first byte picks the layout:
// even -- the remaining bytes are laid over a blank 2786-byte record from
// position 1 (up to the whole record, end marker and NUL included); odd -- the
// remaining bytes fill the 66 items one after the other, each for its width
// (the impairment group 9 wide, as grouping reads it).
std::string check_record_input(const std::uint8_t* data, std::size_t size);

// CMG_401_XML on the input as NUL-terminated text.
std::string check_xml_input(const std::uint8_t* data, std::size_t size);

}  // namespace kestrava_fuzz

#endif
