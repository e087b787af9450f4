// Formatting grouped records as CSV or JSON Lines into reusable buffers.
#ifndef KESTRAVA_CLI_OUTPUT_H
#define KESTRAVA_CLI_OUTPUT_H

#include <cstddef>
#include <cstring>
#include <string>

#include "options.h"

namespace kestrava::cli {

// The eight results of one grouping call.
struct GroupResult {
    int result = 0, returnCode = 0, cogScore = 0, age = 0;
    char cmgCode[6] = "", motorScore[7] = "", ruleVersion[5] = "", grouperRelease[5] = "";
};

// A grow-only byte buffer: steady-state appends allocate nothing.
class OutBuf {
public:
    void clear() { size_ = 0; }
    std::size_t size() const { return size_; }
    const char* data() const { return data_.data(); }
    // Makes room for n more bytes and returns where they go.
    char* reserve(std::size_t n) {
        if (size_ + n > data_.size()) data_.resize((size_ + n) * 2);
        return &data_[size_];
    }
    void commit(std::size_t n) { size_ += n; }
    void append(const char* s, std::size_t n) {
        std::memcpy(reserve(n), s, n);
        commit(n);
    }
    void append(const std::string& s) { append(s.data(), s.size()); }

private:
    std::string data_;
    std::size_t size_ = 0;
};

class ResultFormatter {
public:
    explicit ResultFormatter(OutputFormat format) : format_(format) {}
    // Header line (CSV only; empty for JSON Lines).
    std::string header() const;
    // Sets the input name written on the following records (escaped once here).
    void set_input(const std::string& name);
    void format(OutBuf& out, long long line, const GroupResult& r) const;

private:
    OutputFormat format_;
    std::string inputField_;  // quoted and escaped for the format, with its key/separator
};

// Escapes text as a JSON string body (no quotes around it).
std::string json_escape(const std::string& text);

}  // namespace kestrava::cli

#endif
