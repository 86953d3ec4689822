#include "toolkit/framework/Quor_WindowList.h"

#include <algorithm>
#include <mutex>

#include "toolkit/framework/Quor_Wnd.h"

namespace {

struct Entry {
    uint32_t id;
    Quor_Wnd* window;
};

std::mutex sMutex;
std::vector<Entry> sWindows;
uint32_t sLastId = 0;

}  // namespace

uint32_t Quor_WindowList::Register(Quor_Wnd* window)
{
    std::lock_guard<std::mutex> lock(sMutex);
    const uint32_t id = ++sLastId;
    try {
        sWindows.push_back(Entry{id, window});
    } catch (...) {
        // The window then cannot be found by id: posts to it are dropped, nothing else changes.
    }
    return id;
}

void Quor_WindowList::Unregister(Quor_Wnd* window)
{
    std::lock_guard<std::mutex> lock(sMutex);
    std::erase_if(sWindows, [window](const Entry& e) { return e.window == window; });
}

Quor_Wnd* Quor_WindowList::Find(uint32_t id)
{
    std::lock_guard<std::mutex> lock(sMutex);
    for (const Entry& e : sWindows) {
        if (e.id == id)
            return e.window;
    }
    return nullptr;
}

Quor_Wnd* Quor_WindowList::FindByHost(uint32_t hostWindow)
{
    if (hostWindow == 0)
        return nullptr;
    std::lock_guard<std::mutex> lock(sMutex);
    for (const Entry& e : sWindows) {
        if (e.window->PlatformWindow() == hostWindow)
            return e.window;
    }
    return nullptr;
}

std::vector<Quor_Wnd*> Quor_WindowList::All()
{
    std::lock_guard<std::mutex> lock(sMutex);
    std::vector<Quor_Wnd*> all;
    for (const Entry& e : sWindows)
        all.push_back(e.window);
    return all;
}

int Quor_WindowList::Count()
{
    std::lock_guard<std::mutex> lock(sMutex);
    return static_cast<int>(sWindows.size());
}
