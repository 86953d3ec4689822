#include "toolkit/framework/Quor_PostQueue.h"

#include <deque>
#include <mutex>
#include <utility>

#include "toolkit/framework/Quor_WindowCall.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_Host.h"

namespace {

struct Item {
    uint64_t number;
    uint32_t windowId;
    std::function<void(Quor_Wnd*)> task;
};

std::mutex sMutex;
std::deque<Item> sItems;
bool sOpen = false;
// Numbers the items in the order they were posted.
uint64_t sPosted = 0;

// Takes the oldest item if it was posted no later than `last`; false when there is none.
bool TakeUpTo(uint64_t last, Item* item)
{
    std::lock_guard<std::mutex> lock(sMutex);
    if (sItems.empty() || sItems.front().number > last)
        return false;
    *item = std::move(sItems.front());
    sItems.pop_front();
    return true;
}

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
            sItems.push_back(Item{sPosted + 1, windowId, std::move(task)});
            ++sPosted;
        } catch (...) {
            return false;
        }
    }
    Quor_Host::WakeCurrent();
    return true;
}

int Quor_PostQueue::Deliver()
{
    uint64_t last = 0;
    {
        std::lock_guard<std::mutex> lock(sMutex);
        last = sPosted;
    }
    // Items stay queued until their turn: a task that runs a modal loop delivers from inside it,
    // and that inner delivery must go on with the items posted before the ones posted since.
    int ran = 0;
    for (;;) {
        // A fresh item each time: a task's captures are destroyed here, never under the mutex.
        Item item;
        if (!TakeUpTo(last, &item))
            break;
        if (Quor_Wnd* window = Quor_WindowList::Find(item.windowId)) {
            Quor_WindowCall call(window);
            item.task(window);
            ++ran;
        }
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
