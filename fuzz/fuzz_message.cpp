// Message text form under arbitrary input: Load over a memory stream must never read out of
// bounds or misbehave, and whatever it keeps must survive Save and reload unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "toolkit/core/Quor_MemStream.h"
#include "toolkit/core/Quor_Message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Quor_MemStream in;
    if (in.OpenRead(data, static_cast<int64_t>(size)) != 0)
        return 0;
    Quor_Message message;
    message.Load(&in);

    // Exercise the typed getters on every field.
    for (int i = 0; i < message.CountKeys(); ++i) {
        const char* name = message.KeyAt(i);
        bool b;
        int n;
        float f;
        rgb_color c;
        Quor_Point p;
        Quor_Rect r;
        void* ptr;
        message.Get(name, &b);
        message.Get(name, &n);
        message.Get(name, &f);
        message.Get(name, &c);
        message.Get(name, &p);
        message.Get(name, &r);
        message.GetPtr(name, &ptr);
    }

    Quor_MemStream out;
    if (out.OpenWrite() != 0)
        return 0;
    message.Save(&out, true);
    if (out.WriteFailed())
        abort();

    Quor_MemStream again;
    Quor_Message reloaded;
    if (out.FileSize() > 0 && again.OpenRead(out.RawData(), out.FileSize()) == 0)
        reloaded.Load(&again);
    // Every field without a quote in its name or value reads back exactly.
    for (int i = 0; i < message.CountKeys(); ++i) {
        const char* name = message.KeyAt(i);
        const char* value = message.ValueAt(i);
        if (std::strchr(name, '"') != nullptr || std::strchr(value, '"') != nullptr)
            continue;
        if (std::strcmp(name, "what") == 0)
            continue;
        const char* back = nullptr;
        if (!reloaded.Get(name, &back) || std::strcmp(back, value) != 0)
            abort();
    }
    if (reloaded.what != message.what)
        abort();
    return 0;
}
