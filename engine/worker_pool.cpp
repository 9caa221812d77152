#include "engine/worker_pool.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace selvane {
namespace {

class WorkerPool {
public:
    void run(int count, ShareTask task, const void* job) {
        while (static_cast<int>(workers_.size()) < count - 1 && !refused_) {
            const int index = static_cast<int>(workers_.size()) + 1;
            const long long seen = generation_;  // only this thread changes it
            try {
                workers_.emplace_back([this, index, seen] { work(index, seen); });
            } catch (const std::system_error&) {
                refused_ = true;  // fewer workers only take longer
            }
        }
        const int onWorkers = std::min(count - 1, static_cast<int>(workers_.size()));
        {
            std::lock_guard<std::mutex> lock(mutex_);
            task_ = task;
            job_ = job;
            workersWanted_ = onWorkers;
            pending_ = onWorkers;
            ++generation_;
        }
        if (onWorkers > 0) wake_.notify_all();
        task(job, 0);
        for (int t = onWorkers + 1; t < count; ++t) task(job, t);
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [this] { return pending_ == 0; });
    }

private:
    void work(int index, long long seen) {
        for (;;) {
            ShareTask task;
            const void* job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return generation_ != seen; });
                seen = generation_;
                if (index > workersWanted_) continue;
                task = task_;
                job = job_;
            }
            task(job, index);
            std::lock_guard<std::mutex> lock(mutex_);
            if (--pending_ == 0) done_.notify_one();
        }
    }

    std::vector<std::thread> workers_;
    bool refused_ = false;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    ShareTask task_ = nullptr;
    const void* job_ = nullptr;
    int workersWanted_ = 0;
    int pending_ = 0;
    long long generation_ = 0;
};

// Never destroyed: the workers wait for work until the process ends.
WorkerPool& pool() {
    static WorkerPool* const instance = new WorkerPool;
    return *instance;
}

}  // namespace

void runShares(int count, ShareTask task, const void* job) {
    if (count <= 1) {
        task(job, 0);
        return;
    }
    pool().run(count, task, job);
}

int sharesWorthRunning(int stars, int asked) {
    int threads = asked;
    if (threads <= 0) threads = stars < kStarsWorthWorkers ? 1 : static_cast<int>(std::thread::hardware_concurrency());
    return threads < 1 ? 1 : threads;
}

}  // namespace selvane
