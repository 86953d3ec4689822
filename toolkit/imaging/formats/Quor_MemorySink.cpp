#include "toolkit/imaging/formats/Quor_MemorySink.h"

#include <cstring>
#include <new>

bool Quor_MemorySink::DoWrite(const void* bytes, size_t count)
{
    if (count > fBytes.max_size() - fPosition)
        return false;
    const size_t end = fPosition + count;
    try {
        if (end > fBytes.size())
            fBytes.resize(end);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::memcpy(fBytes.data() + fPosition, bytes, count);
    fPosition = end;
    return true;
}

bool Quor_MemorySink::DoSeek(int64_t position)
{
    if (static_cast<uint64_t>(position) > fBytes.size())
        return false;
    fPosition = static_cast<size_t>(position);
    return true;
}
