// A fixed set of threads that run one job over their parts: thread i runs
// job(i).  The caller starts a job, does other work, then waits for it.
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

    int size() const { return static_cast<int>(threads_.size()); }
    // Starts job(part) for every part in [0, size()); job must live until wait().
    void start(const std::function<void(int)>& job);
    void wait();

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
