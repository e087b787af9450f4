// A fixed set of threads that run one job over N parts and wait for all of
// them: the caller's thread takes part 0.
#ifndef KESTRAVA_CLI_WORKER_POOL_H
#define KESTRAVA_CLI_WORKER_POOL_H

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrava::cli {

class WorkerPool {
public:
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int size() const { return static_cast<int>(threads_.size()) + 1; }
    // Runs job(part) for every part in [0, size()) and returns when all are done.
    void run(const std::function<void(int)>& job);

private:
    void loop(int part);

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable start_, done_;
    const std::function<void(int)>* job_ = nullptr;
    unsigned long generation_ = 0;
    int pending_ = 0;
    bool stopping_ = false;
};

}  // namespace kestrava::cli

#endif
