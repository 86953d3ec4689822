#include "toolkit/core/Quor_Parallel.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::atomic<int> sThreads{0};

}  // namespace

int Quor_Parallel::Threads()
{
    const int set = sThreads.load(std::memory_order_relaxed);
    if (set > 0)
        return set;
    const unsigned int cores = std::thread::hardware_concurrency();
    return cores > 0 ? static_cast<int>(cores) : 1;
}

void Quor_Parallel::SetThreads(int n)
{
    sThreads.store(std::max(0, n), std::memory_order_relaxed);
}

void Quor_Parallel::For(int count, const std::function<void(int index)>& body, int maxThreads)
{
    if (count <= 0)
        return;
    int threads = std::min(Threads(), count);
    if (maxThreads > 0)
        threads = std::min(threads, maxThreads);
    if (threads <= 1) {
        for (int i = 0; i < count; ++i)
            body(i);
        return;
    }
    std::atomic<int> next{0};
    auto work = [&]() {
        for (int i = next.fetch_add(1); i < count; i = next.fetch_add(1))
            body(i);
    };
    std::vector<std::thread> helpers;
    try {
        helpers.reserve(static_cast<size_t>(threads - 1));
        for (int t = 1; t < threads; ++t)
            helpers.emplace_back(work);
    } catch (const std::exception&) {
        // Fewer threads than asked for: the ones started and the caller share the work.
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
}
