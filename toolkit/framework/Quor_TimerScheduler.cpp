#include "toolkit/framework/Quor_TimerScheduler.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

struct TimerRec {
    uint32_t window;
    unsigned int id;
    uint64_t periodMicros;
    uint64_t dueMicros;
    Quor_Handler* target;
    int what;
};

std::mutex sMutex;
std::vector<TimerRec> sTimers;

}  // namespace

bool Quor_TimerScheduler::Add(uint32_t window, unsigned int id, double seconds,
                              Quor_Handler* target, int what, uint64_t nowMicros)
{
    if (id == 0 || !std::isfinite(seconds) || seconds < kMinSeconds || seconds > kMaxSeconds)
        return false;
    const uint64_t period = static_cast<uint64_t>(std::llround(seconds * 1e6));
    std::lock_guard<std::mutex> lock(sMutex);
    for (const TimerRec& t : sTimers) {
        if (t.window == window && t.id == id)
            return false;
    }
    try {
        sTimers.push_back(TimerRec{window, id, period, nowMicros + period, target, what});
    } catch (...) {
        return false;
    }
    return true;
}

void Quor_TimerScheduler::Remove(uint32_t window, unsigned int id)
{
    std::lock_guard<std::mutex> lock(sMutex);
    std::erase_if(sTimers, [&](const TimerRec& t) { return t.window == window && t.id == id; });
}

void Quor_TimerScheduler::RemoveAll(uint32_t window)
{
    std::lock_guard<std::mutex> lock(sMutex);
    std::erase_if(sTimers, [&](const TimerRec& t) { return t.window == window; });
}

void Quor_TimerScheduler::ForgetTarget(const Quor_Handler* target)
{
    std::lock_guard<std::mutex> lock(sMutex);
    std::erase_if(sTimers, [&](const TimerRec& t) { return t.target == target; });
}

int Quor_TimerScheduler::Count(uint32_t window)
{
    std::lock_guard<std::mutex> lock(sMutex);
    return static_cast<int>(std::count_if(sTimers.begin(), sTimers.end(),
                                          [&](const TimerRec& t) { return t.window == window; }));
}

bool Quor_TimerScheduler::Has(uint32_t window, unsigned int id)
{
    std::lock_guard<std::mutex> lock(sMutex);
    return std::any_of(sTimers.begin(), sTimers.end(),
                       [&](const TimerRec& t) { return t.window == window && t.id == id; });
}

unsigned int Quor_TimerScheduler::LargestId(uint32_t window)
{
    std::lock_guard<std::mutex> lock(sMutex);
    unsigned int largest = 0;
    for (const TimerRec& t : sTimers) {
        if (t.window == window)
            largest = std::max(largest, t.id);
    }
    return largest;
}

bool Quor_TimerScheduler::Lookup(uint32_t window, unsigned int id, Quor_Handler** target, int* what)
{
    std::lock_guard<std::mutex> lock(sMutex);
    for (const TimerRec& t : sTimers) {
        if (t.window == window && t.id == id) {
            *target = t.target;
            *what = t.what;
            return true;
        }
    }
    return false;
}

int Quor_TimerScheduler::MillisecondsToNext(uint64_t nowMicros)
{
    std::lock_guard<std::mutex> lock(sMutex);
    if (sTimers.empty())
        return -1;
    uint64_t next = UINT64_MAX;
    for (const TimerRec& t : sTimers)
        next = std::min(next, t.dueMicros);
    if (next <= nowMicros)
        return 0;
    const uint64_t wait = (next - nowMicros + 999) / 1000;
    return wait > INT32_MAX ? INT32_MAX : static_cast<int>(wait);
}

std::vector<Quor_TimerScheduler::Due> Quor_TimerScheduler::TakeDue(uint64_t nowMicros)
{
    std::vector<std::pair<uint64_t, Due>> due;
    {
        std::lock_guard<std::mutex> lock(sMutex);
        for (TimerRec& t : sTimers) {
            if (t.dueMicros > nowMicros)
                continue;
            due.push_back({t.dueMicros, Due{t.window, t.id}});
            t.dueMicros += t.periodMicros;
            if (t.dueMicros <= nowMicros)
                t.dueMicros = nowMicros + t.periodMicros;
        }
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Due> result;
    result.reserve(due.size());
    for (const auto& d : due)
        result.push_back(d.second);
    return result;
}
