#include "group.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "engine.h"
#include "input.h"
#include "output.h"
#include "progress.h"
#include "record.h"
#include "tier_lists.h"
#include "worker_pool.h"
#include "xml_frontend.h"

namespace kestrava::cli {
namespace {

// Writes to standard output with write(2), remembering the first failure.
class Writer {
public:
    void write(const char* p, std::size_t n) {
        while (n > 0 && !failed_) {
            ssize_t w = ::write(1, p, n);
            if (w < 0) {
                if (errno == EINTR) continue;
                failed_ = true;
                error_ = errno;
                break;
            }
            p += w;
            n -= static_cast<std::size_t>(w);
        }
    }
    void write(const OutBuf& b) { write(b.data(), b.size()); }
    bool failed() const { return failed_; }
    int error() const { return error_; }

private:
    bool failed_ = false;
    int error_ = 0;
};

// One thread's grouping state, reused for every record it groups.
struct Worker {
    char record[kRecordLength];
    std::size_t dirty = kRecordLength - 2;  // bytes that may differ from blanks
    OutBuf out[2];  // batches take turns, so one is written while the next is grouped
    TierListTally tally;

    Worker() { blank_record(record); }

    // The line becomes the record: copied in, the rest of the previous line
    // blanked again; the end marker stays.
    void load(const char* p, std::size_t n) {
        if (n > kRecordLength - 2) n = kRecordLength - 2;
        std::memcpy(record, p, n);
        if (dirty > n) std::memset(record + n, ' ', dirty - n);
        dirty = n;
    }
};

// Writes the outputs that parts 0..parts-1 left in their buffer `which`, in
// part order, and empties them.
void write_outputs(Writer& writer, std::vector<std::unique_ptr<Worker>>& workers, int parts, int which) {
    for (int p = 0; p < parts; ++p) {
        writer.write(workers[p]->out[which]);
        workers[p]->out[which].clear();
    }
}

void tally(TierListTally& t, const GroupResult& r) {
    if (r.result == 0) t.count(r.ruleVersion);
}

long long input_size(const std::string& name) {
    struct stat st;
    int rc = name == "-" ? ::fstat(0, &st) : ::stat(name.c_str(), &st);
    return rc == 0 && S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size) : -1;
}

// Groups every line of a fixed-width input and writes the results in input
// order.  With a pool, batch k is grouped while batch k-1 is written and
// batch k+1 is read.  Returns the number of records.
long long group_lines(Input& in, const ResultFormatter& formatter, std::vector<std::unique_ptr<Worker>>& workers,
                      WorkerPool* pool, Writer& writer, Progress& progress, long long bytesBefore,
                      long long recordsBefore) {
    std::vector<LineView> batches[2];
    long long lineBase = 0;
    int previousParts = 0;
    bool more = in.next_lines(batches[0]);
    for (int k = 0; more; k ^= 1) {
        const std::vector<LineView>& lines = batches[k];
        const std::size_t n = lines.size();
        const int threads = pool ? pool->size() : 1;
        const int parts = static_cast<int>(std::min<std::size_t>(threads, (n + 63) / 64));
        const long long base = lineBase;
        std::function<void(int)> job = [&, k, n, parts, base](int part) {
            if (part >= parts) return;
            Worker& w = *workers[part];
            OutBuf& out = w.out[k];
            const std::size_t lo = n * part / parts, hi = n * (part + 1) / parts;
            GroupResult r;
            for (std::size_t i = lo; i < hi; ++i) {
                w.load(lines[i].data, lines[i].size);
                r.result = kestrava::group_record(w.record, r.cmgCode, &r.returnCode, r.motorScore, &r.cogScore,
                                                  &r.age, r.ruleVersion, r.grouperRelease);
                formatter.format(out, base + 1 + static_cast<long long>(i), r);
                tally(w.tally, r);
            }
        };
        if (pool) {
            pool->start(job);
            write_outputs(writer, workers, previousParts, k ^ 1);
            more = !writer.failed() && in.next_lines(batches[k ^ 1]);
            pool->wait();
        } else {
            job(0);
            write_outputs(writer, workers, parts, k);
            more = !writer.failed() && in.next_lines(batches[k ^ 1]);
        }
        previousParts = pool ? parts : 0;
        lineBase += static_cast<long long>(n);
        progress.update(bytesBefore + in.bytes_read(), recordsBefore + lineBase);
        if (!more) write_outputs(writer, workers, previousParts, k);
    }
    return lineBase;
}

// Runs an XML front end with standard output sent to standard error, so that
// a front-end diagnostic never lands among the results.
template <class Call>
int with_stdout_on_stderr(Call call) {
    std::fflush(stdout);
    const int saved = ::dup(1);
    if (saved >= 0 && ::dup2(2, 1) < 0) {
        // No standard error to send it to: drop it rather than mix it in.
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, 1);
            ::close(null);
        }
    }
    const int result = call();
    std::fflush(stdout);
    if (saved >= 0) {
        ::dup2(saved, 1);
        ::close(saved);
    }
    return result;
}

}  // namespace

int run_group(const Options& o) {
    int threads = o.threads;
    if (threads <= 0) threads = static_cast<int>(std::thread::hardware_concurrency());
    if (threads <= 0) threads = 1;

    std::vector<std::string> inputs = o.inputs;
    if (inputs.empty()) inputs.push_back("-");

    long long total = 0;
    for (const std::string& name : inputs) {
        long long size = input_size(name);
        if (size < 0) { total = -1; break; }
        total += size;
    }
    Progress progress(o.progress, total);

    Writer writer;
    ResultFormatter formatter(o.output);
    OutBuf misc;
    if (o.header) misc.append(formatter.header());

    std::vector<std::unique_ptr<Worker>> workers;
    for (int i = 0; i < threads; ++i) workers.push_back(std::make_unique<Worker>());
    // One thread groups and does the I/O itself; more threads group while
    // this one reads the next batch and writes the last one.
    std::unique_ptr<WorkerPool> pool = threads > 1 ? std::make_unique<WorkerPool>(threads) : nullptr;
    TierListTally tally_all;

    long long records = 0, bytesBefore = 0;
    int status = 0;

    for (const std::string& name : inputs) {
        Input in;
        if (!in.open(name)) {
            progress.finish();
            std::fprintf(stderr, "kestrava: %s\n", in.error().c_str());
            status = 1;
            continue;
        }
        formatter.set_input(name);
        const bool xml = o.format == InputFormat::Xml || (o.format == InputFormat::Auto && in.looks_like_xml());
        if (xml) {
            std::string text;
            in.read_all(text);
            if (!in.failed()) {
                GroupResult r;
                r.result = with_stdout_on_stderr([&] {
                    return kestrava::group_xml_text(text.c_str(), r.cmgCode, &r.returnCode, r.motorScore,
                                                    &r.cogScore, &r.age, r.ruleVersion, r.grouperRelease);
                });
                // The front end leaves the outputs untouched on an unreadable
                // document; the row still says so in returnCode.
                if (r.result == 99) r.returnCode = 99;
                formatter.format(misc, 1, r);
                tally(tally_all, r);
                ++records;
            }
        } else {
            writer.write(misc);
            misc.clear();
            records += group_lines(in, formatter, workers, pool.get(), writer, progress, bytesBefore, records);
        }
        if (in.failed()) {
            progress.finish();
            std::fprintf(stderr, "kestrava: %s\n", in.error().c_str());
            status = 1;
        }
        bytesBefore += in.bytes_read();
        if (writer.failed()) break;
    }
    writer.write(misc);
    progress.finish();
    if (writer.failed()) {
        std::fprintf(stderr, "kestrava: cannot write the results: %s\n", std::strerror(writer.error()));
        status = 1;
    }
    for (auto& w : workers) tally_all.merge(w->tally);
    tally_all.warn(stderr);
    return status;
}

}  // namespace kestrava::cli
