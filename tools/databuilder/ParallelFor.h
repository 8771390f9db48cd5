#pragma once
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace databuilder
{

// Runs work(i) for i = 0..count-1 on up to maxThreads threads. The items must
// be independent; results land wherever work puts them, so the outcome does
// not depend on the scheduling.
template <typename Work>
void parallelFor(int count, int maxThreads, Work work)
{
    std::atomic<int> next{ 0 };
    auto worker = [&] {
        for (int i = next++; i < count; i = next++)
            work(i);
    };
    const int threads = std::max(1, std::min(count, maxThreads));
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(worker);
    worker();
    for (std::thread& thread : pool)
        thread.join();
}

} // namespace databuilder
