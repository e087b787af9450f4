// Reading inputs: whole buffers of lines with one read(2) loop, no per-line
// allocation.
#ifndef KESTRAVA_CLI_INPUT_H
#define KESTRAVA_CLI_INPUT_H

#include <cstddef>
#include <string>
#include <vector>

namespace kestrava::cli {

struct LineView {
    const char* data;
    std::size_t size;  // without the newline and a trailing CR
};

// One input: a file, or standard input for "-".
class Input {
public:
    explicit Input(std::size_t capacity = 8u << 20);
    ~Input();
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // Opens name ("-" is standard input).  False with error set on failure.
    bool open(const std::string& name);
    const std::string& name() const { return name_; }
    // Size in bytes when the input is a regular file, else -1.
    long long size() const { return size_; }
    long long bytes_read() const { return bytesRead_; }

    // The first bytes of the input, read ahead without consuming them.
    void peek(const char*& data, std::size_t& size);
    // True when the content starts (after white space and a byte-order mark)
    // with '<': an XML document rather than fixed-width records.
    bool looks_like_xml();

    // Fills lines with the next complete lines, in order.  They stay valid
    // through the following call too (two buffers take turns), so one batch
    // can be grouped while the next is read.  False at the end of the input;
    // after a read error the lines read before it still come, then false
    // (see failed()).  A
    // line longer than the buffer keeps its first buffer-full (far more than a
    // record) and the rest of it is skipped.
    bool next_lines(std::vector<LineView>& lines);
    // Appends the rest of the input to text.
    bool read_all(std::string& text);

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

private:
    void fill();  // reads until the buffer is full or the input ends
    void switch_buffer();  // carries the unread rest over into the other buffer
    void set_error(const char* what);

    int fd_ = -1;
    bool ownsFd_ = false;
    std::string name_;
    long long size_ = -1;
    long long bytesRead_ = 0;
    char* bufs_[2];
    char* buf_;  // the buffer in use, bufs_[0] or bufs_[1]
    std::size_t capacity_, begin_ = 0, end_ = 0;
    bool eof_ = false, skippingLongLine_ = false;
    std::string error_;
};

}  // namespace kestrava::cli

#endif
