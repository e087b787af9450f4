#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace kestrava::cli {

Progress::Progress(bool wanted, long long totalBytes)
    : enabled_(wanted && totalBytes > 0 && ::isatty(2)), total_(totalBytes), start_(Clock::now()), last_(start_) {}

void Progress::update(long long bytesDone, long long records) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (now - last_ < std::chrono::milliseconds(200)) return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double fraction = bytesDone >= total_ ? 1.0 : static_cast<double>(bytesDone) / total_;
    const double rate = seconds > 0 ? records / seconds : 0;
    const long left = fraction > 0 ? static_cast<long>(seconds * (1 - fraction) / fraction + 0.5) : 0;
    constexpr int kWidth = 30;
    char bar[kWidth + 1];
    const int filled = static_cast<int>(fraction * kWidth);
    for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%  %lld records  %.0f records/s  %ld:%02ld left\033[K", bar,
                 static_cast<int>(fraction * 100), records, rate, left / 60, left % 60);
    drawn_ = true;
}

void Progress::finish() {
    if (drawn_) std::fputs("\r\033[K", stderr);
    drawn_ = false;
}

}  // namespace kestrava::cli
