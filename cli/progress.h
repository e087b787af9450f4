// Progress bar on standard error: records done, rate and time left, drawn
// only when standard error is a terminal and the input size is known.
#ifndef KESTRAVA_CLI_PROGRESS_H
#define KESTRAVA_CLI_PROGRESS_H

#include <chrono>

namespace kestrava::cli {

class Progress {
public:
    // totalBytes < 0: size unknown, no bar.
    Progress(bool wanted, long long totalBytes);
    void update(long long bytesDone, long long records);
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    bool enabled_;
    bool drawn_ = false;
    long long total_;
    Clock::time_point start_, last_;
};

}  // namespace kestrava::cli

#endif
