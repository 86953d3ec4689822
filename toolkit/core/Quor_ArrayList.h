// A growable list of untyped pointers for the toolkit's small collections (timers, text rows,
// about-box lines). The list never owns its items; DeleteAll<T>() is the typed way to free them.
#pragma once

#include <cassert>

class Quor_ArrayList {
public:
    Quor_ArrayList();
    Quor_ArrayList(const Quor_ArrayList& other);
    Quor_ArrayList& operator=(const Quor_ArrayList& other);
    virtual ~Quor_ArrayList();

    int Count() const { return fCount; }
    int Capacity() const { return fCapacity; }
    // Item i; an index outside 0..count-1 is a caller error (asserted) and gives null.
    void* operator[](int i) const;
    void* ItemAt(int i) const { return (*this)[i]; }

    // Appends; the slot array doubles when full. False when memory runs out.
    bool Add(void* item);
    // Inserts before index when 0 <= index < count; any other index appends.
    bool Add(void* item, int index);
    // Overwrites slot i; out-of-range indices are refused.
    void ReplaceAt(int i, void* item);
    // Removes slot i and returns its item (null for an index out of range).
    void* RemoveAt(int i);
    // Removes n items from first on, cut to the items that exist.
    void RemoveRange(int first, int n);
    // Removes the first slot holding exactly this pointer.
    void Remove(void* item);
    int IndexOf(const void* item) const;
    bool ContainsItem(const void* item) const { return IndexOf(item) >= 0; }
    // Forgets every item without touching them; the capacity stays.
    void Clear() { fCount = 0; }

    // Deletes every item as a T* and empties the list. Only for lists whose items are all
    // T objects allocated with new.
    template <class T>
    void DeleteAll()
    {
        for (int i = 0; i < fCount; ++i)
            delete static_cast<T*>(fItems[i]);
        fCount = 0;
    }

    // Replaces the slot array by one of newCapacity slots (at least count), keeping the items.
    bool ExpandList(int newCapacity);

private:
    int fCount;
    int fCapacity;
    void** fItems;
};
