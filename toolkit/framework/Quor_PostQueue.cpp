#include "toolkit/framework/Quor_PostQueue.h"

#include <deque>
#include <mutex>
#include <utility>

#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_Host.h"

namespace {

struct Item {
    uint32_t windowId;
    std::function<void(Quor_Wnd*)> task;
};

std::mutex sMutex;
std::deque<Item> sItems;
bool sOpen = false;

}  // namespace

bool Quor_PostQueue::Post(uint32_t windowId, std::function<void(Quor_Wnd*)> task)
{
    if (!task)
        return false;
    {
        std::lock_guard<std::mutex> lock(sMutex);
        if (!sOpen)
            return false;
        try {
            sItems.push_back(Item{windowId, std::move(task)});
        } catch (...) {
            return false;
        }
    }
    Quor_Host::WakeCurrent();
    return true;
}

int Quor_PostQueue::Deliver()
{
    std::deque<Item> items;
    {
        std::lock_guard<std::mutex> lock(sMutex);
        items.swap(sItems);
    }
    int ran = 0;
    for (Item& item : items) {
        Quor_Wnd* window = Quor_WindowList::Find(item.windowId);
        if (window == nullptr)
            continue;
        window->Lock(-1);
        item.task(window);
        ++ran;
        // The task may have closed the window, which destroys its lock with it.
        if (Quor_WindowList::Find(item.windowId) == window)
            window->Unlock();
    }
    return ran;
}

bool Quor_PostQueue::Pending()
{
    std::lock_guard<std::mutex> lock(sMutex);
    return !sItems.empty();
}

void Quor_PostQueue::SetOpen(bool open)
{
    std::deque<Item> dropped;
    {
        std::lock_guard<std::mutex> lock(sMutex);
        sOpen = open;
        if (!open)
            dropped.swap(sItems);
    }
}
