#include "input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrava::cli {

Input::Input(std::size_t capacity)
    : bufs_{new char[capacity], new char[capacity]}, buf_(bufs_[0]), capacity_(capacity) {}

Input::~Input() {
    if (ownsFd_) ::close(fd_);
    delete[] bufs_[0];
    delete[] bufs_[1];
}

void Input::switch_buffer() {
    char* other = buf_ == bufs_[0] ? bufs_[1] : bufs_[0];
    std::memcpy(other, buf_ + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    buf_ = other;
}

void Input::set_error(const char* what) {
    error_ = std::string(what) + " " + (name_ == "-" ? "standard input" : name_) + ": " + std::strerror(errno);
}

bool Input::open(const std::string& name) {
    name_ = name;
    if (name == "-") {
        fd_ = 0;
    } else {
        fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) {
            set_error("cannot open");
            return false;
        }
        ownsFd_ = true;
    }
    struct stat st;
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
        size_ = st.st_size;
        // Sequential hint: the kernel reads ahead further.
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    return true;
}

void Input::fill() {
    if (begin_ > 0) {
        std::memmove(buf_, buf_ + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    while (!eof_ && end_ < capacity_) {
        ssize_t n = ::read(fd_, buf_ + end_, capacity_ - end_);
        if (n < 0) {
            if (errno == EINTR) continue;
            // What was read before the error is still grouped.
            set_error("cannot read");
            eof_ = true;
            return;
        }
        if (n == 0) {
            eof_ = true;
            break;
        }
        end_ += static_cast<std::size_t>(n);
        bytesRead_ += n;
    }
}

void Input::peek(const char*& data, std::size_t& size) {
    if (end_ == begin_ && !eof_) fill();
    data = buf_ + begin_;
    size = end_ - begin_;
}

bool Input::looks_like_xml() {
    const char* p;
    std::size_t n;
    peek(p, n);
    std::size_t i = 0;
    if (n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) i = 3;
    while (i < n && (p[i] == ' ' || p[i] == '\t' || p[i] == '\r' || p[i] == '\n')) ++i;
    return i < n && p[i] == '<';
}

bool Input::next_lines(std::vector<LineView>& lines) {
    lines.clear();
    auto emit = [&](const char* p, std::size_t n) {
        if (n > 0 && p[n - 1] == '\r') --n;
        lines.push_back({p, n});
    };
    bool switched = false;
    while (lines.empty()) {
        if (begin_ == end_ && eof_) return false;
        // The lines handed out last time stay where they are; a second turn
        // of this loop handed nothing out yet and keeps its buffer.
        if (!switched) switch_buffer();
        switched = true;
        fill();
        const char* p = buf_ + begin_;
        const char* end = buf_ + end_;
        while (const char* nl = static_cast<const char*>(std::memchr(p, '\n', end - p))) {
            if (skippingLongLine_) skippingLongLine_ = false;
            else emit(p, nl - p);
            p = nl + 1;
        }
        if (eof_) {
            if (p < end && !skippingLongLine_) emit(p, end - p);
            skippingLongLine_ = false;
            begin_ = end_;
        } else if (p == buf_ && end_ == capacity_) {
            // No newline in a full buffer: keep the head, skip the rest.
            if (!skippingLongLine_) lines.push_back({p, end_});
            skippingLongLine_ = true;
            begin_ = end_;
        } else {
            begin_ = p - buf_;
        }
    }
    return true;
}

bool Input::read_all(std::string& text) {
    text.assign(buf_ + begin_, end_ - begin_);
    begin_ = end_ = 0;
    char chunk[1 << 16];
    while (!eof_) {
        ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            set_error("cannot read");
            return false;
        }
        if (n == 0) eof_ = true;
        text.append(chunk, static_cast<std::size_t>(n));
        bytesRead_ += n;
    }
    return !failed();
}

}  // namespace kestrava::cli
