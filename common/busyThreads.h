#pragma once
// Threads that keep cores busy from construction to destruction, as other work on a loaded
// machine does: for benchmarks and tests that measure or check behaviour under load.
#include <atomic>
#include <thread>
#include <vector>

class BusyThreads {
public:
    explicit BusyThreads(int count) {
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([this] {
                while (!stop_.load(std::memory_order_relaxed)) {
                }
            });
    }
    ~BusyThreads() {
        stop_ = true;
        for (std::thread& t : threads_) t.join();
    }
    BusyThreads(const BusyThreads&) = delete;
    BusyThreads& operator=(const BusyThreads&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};
