#include "worker_pool.h"

namespace kestrava::cli {

WorkerPool::WorkerPool(int threads) {
    for (int part = 0; part < threads; ++part) threads_.emplace_back(&WorkerPool::loop, this, part);
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    start_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void WorkerPool::start(const std::function<void(int)>& job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &job;
        pending_ = static_cast<int>(threads_.size());
        ++generation_;
    }
    start_.notify_all();
}

void WorkerPool::wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
    job_ = nullptr;
}

void WorkerPool::loop(int part) {
    unsigned long seen = 0;
    for (;;) {
        const std::function<void(int)>* job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            start_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_) return;
            seen = generation_;
            job = job_;
        }
        (*job)(part);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (--pending_ == 0) done_.notify_one();
        }
    }
}

}  // namespace kestrava::cli
