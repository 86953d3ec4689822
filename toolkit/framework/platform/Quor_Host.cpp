#include "toolkit/framework/platform/Quor_Host.h"

#include <atomic>
#include <mutex>

namespace {

std::atomic<Quor_Host*> sHost{nullptr};
// Held while a host is being installed or woken from another thread.
std::mutex sWakeMutex;

}  // namespace

Quor_Host* Quor_Host::Current()
{
    return sHost.load(std::memory_order_acquire);
}

void Quor_Host::Install(Quor_Host* host)
{
    std::lock_guard<std::mutex> lock(sWakeMutex);
    sHost.store(host, std::memory_order_release);
}

void Quor_Host::WakeCurrent()
{
    std::lock_guard<std::mutex> lock(sWakeMutex);
    if (Quor_Host* host = sHost.load(std::memory_order_acquire))
        host->Wake();
}

bool Quor_Host::SetIcon(uint32_t window, const Quor_image& icon)
{
    (void)window;
    (void)icon;
    return false;
}

bool Quor_Host::TakePendingPress()
{
    return false;
}
