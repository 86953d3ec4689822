#include "toolkit/core/Quor_ArrayList.h"

#include <climits>
#include <cstring>
#include <new>

namespace {

constexpr int kInitialCapacity = 4;

}  // namespace

Quor_ArrayList::Quor_ArrayList()
    : fCount(0), fCapacity(0), fItems(new (std::nothrow) void*[kInitialCapacity])
{
    if (fItems != nullptr)
        fCapacity = kInitialCapacity;
}

Quor_ArrayList::Quor_ArrayList(const Quor_ArrayList& other) : fCount(0), fCapacity(0), fItems(nullptr)
{
    *this = other;
}

Quor_ArrayList& Quor_ArrayList::operator=(const Quor_ArrayList& other)
{
    if (this == &other)
        return *this;
    fCount = 0;
    const int needed = other.fCount > kInitialCapacity ? other.fCount : kInitialCapacity;
    if (fCapacity < needed && !ExpandList(needed))
        return *this;
    if (other.fCount > 0)
        std::memcpy(fItems, other.fItems, sizeof(void*) * static_cast<size_t>(other.fCount));
    fCount = other.fCount;
    return *this;
}

Quor_ArrayList::~Quor_ArrayList()
{
    delete[] fItems;
}

void* Quor_ArrayList::operator[](int i) const
{
    assert(i >= 0 && i < fCount && "list index out of range");
    return i >= 0 && i < fCount ? fItems[i] : nullptr;
}

bool Quor_ArrayList::ExpandList(int newCapacity)
{
    if (newCapacity < fCount || newCapacity < 1)
        return false;
    void** items = new (std::nothrow) void*[static_cast<size_t>(newCapacity)];
    if (items == nullptr)
        return false;
    if (fCount > 0)
        std::memcpy(items, fItems, sizeof(void*) * static_cast<size_t>(fCount));
    delete[] fItems;
    fItems = items;
    fCapacity = newCapacity;
    return true;
}

bool Quor_ArrayList::Add(void* item)
{
    if (fCount == fCapacity) {
        if (fCapacity > INT_MAX / 2)
            return false;
        if (!ExpandList(fCapacity > 0 ? 2 * fCapacity : kInitialCapacity))
            return false;
    }
    fItems[fCount++] = item;
    return true;
}

bool Quor_ArrayList::Add(void* item, int index)
{
    if (index < 0 || index >= fCount)
        return Add(item);
    if (!Add(nullptr))
        return false;
    std::memmove(fItems + index + 1, fItems + index, sizeof(void*) * static_cast<size_t>(fCount - 1 - index));
    fItems[index] = item;
    return true;
}

void Quor_ArrayList::ReplaceAt(int i, void* item)
{
    assert(i >= 0 && i < fCount && "list index out of range");
    if (i >= 0 && i < fCount)
        fItems[i] = item;
}

void* Quor_ArrayList::RemoveAt(int i)
{
    assert(i >= 0 && i < fCount && "list index out of range");
    if (i < 0 || i >= fCount)
        return nullptr;
    void* item = fItems[i];
    std::memmove(fItems + i, fItems + i + 1, sizeof(void*) * static_cast<size_t>(fCount - 1 - i));
    --fCount;
    return item;
}

void Quor_ArrayList::RemoveRange(int first, int n)
{
    assert(first >= 0 && n >= 0 && first <= fCount && "list range out of range");
    if (first < 0 || first >= fCount || n <= 0)
        return;
    if (n > fCount - first)
        n = fCount - first;
    std::memmove(fItems + first, fItems + first + n, sizeof(void*) * static_cast<size_t>(fCount - first - n));
    fCount -= n;
}

void Quor_ArrayList::Remove(void* item)
{
    const int i = IndexOf(item);
    if (i >= 0)
        RemoveAt(i);
}

int Quor_ArrayList::IndexOf(const void* item) const
{
    for (int i = 0; i < fCount; ++i)
        if (fItems[i] == item)
            return i;
    return -1;
}
