#include "toolkit/core/Quor_Thread.h"

#include <chrono>
#include <exception>
#include <system_error>
#include <utility>

Quor_ThreadHandle::Quor_ThreadHandle(Quor_ThreadHandle&& other) noexcept
    : fThread(std::move(other.fThread))
{
}

Quor_ThreadHandle& Quor_ThreadHandle::operator=(Quor_ThreadHandle&& other) noexcept
{
    if (this != &other) {
        Wait();
        fThread = std::move(other.fThread);
    }
    return *this;
}

Quor_ThreadHandle::~Quor_ThreadHandle()
{
    Wait();
}

void Quor_ThreadHandle::Wait() noexcept
{
    if (!fThread.joinable())
        return;
    if (fThread.get_id() == std::this_thread::get_id()) {
        fThread.detach();
        return;
    }
    try {
        fThread.join();
    } catch (const std::system_error&) {
        // Only a deadlock or an invalid thread make join refuse; never leave it joinable.
        fThread.detach();
    }
}

Quor_ThreadHandle Quor_SpawnThread(Quor_ThreadEntry entry, void* arg, int priority, const char* name)
{
    (void)priority;
    (void)name;
    Quor_ThreadHandle handle;
    if (entry == nullptr)
        return handle;
    try {
        handle.fThread = std::thread([entry, arg] { entry(arg); });
    } catch (const std::exception&) {
        // std::system_error when the system refuses the thread, bad_alloc for its state.
    }
    return handle;
}

void Quor_WaitForThread(Quor_ThreadHandle& handle)
{
    handle.Wait();
}

void Quor_Snooze(int ms)
{
    if (ms < 1)
        return;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
