#include "toolkit/core/Quor_Thread.h"

#include <chrono>
#include <exception>
#include <new>
#include <system_error>
#include <thread>

struct Quor_ThreadData {
    std::thread thread;
};

Quor_ThreadHandle Quor_SpawnThread(Quor_ThreadEntry entry, void* arg, int priority, const char* name)
{
    (void)priority;
    (void)name;
    if (entry == nullptr)
        return nullptr;
    Quor_ThreadData* data = new (std::nothrow) Quor_ThreadData;
    if (data == nullptr)
        return nullptr;
    try {
        data->thread = std::thread([entry, arg] { entry(arg); });
    } catch (const std::exception&) {
        // std::system_error when the system refuses the thread, bad_alloc for its state.
        delete data;
        return nullptr;
    }
    return data;
}

void Quor_WaitForThread(Quor_ThreadHandle handle)
{
    if (handle == nullptr)
        return;
    if (handle->thread.joinable()) {
        if (handle->thread.get_id() == std::this_thread::get_id()) {
            // A thread cannot join itself; let it finish on its own rather than deadlock.
            handle->thread.detach();
        } else {
            try {
                handle->thread.join();
            } catch (const std::system_error&) {
                handle->thread.detach();
            }
        }
    }
    delete handle;
}

void Quor_Snooze(int ms)
{
    if (ms < 1)
        return;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
