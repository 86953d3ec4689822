// Project files under arbitrary input: PanomerDoc::Open over a memory stream must never read out
// of bounds, hang or misbehave, and whatever it accepts must save and read back to the same
// document. No image module is registered, so photo paths named by the input are never opened.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/core/PanomerDoc.h"
#include "toolkit/core/Quor_MemStream.h"

namespace {

std::string Saved(PanomerDoc& doc)
{
    Quor_MemStream out;
    if (out.OpenWrite(0) != 0 || !doc.Save(&out))
        return std::string();
    return std::string(reinterpret_cast<const char*>(out.RawData()), static_cast<size_t>(out.FileSize()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Quor_MemStream in;
    if (in.OpenRead(data, static_cast<int64_t>(size)) != 0)
        return 0;
    PanomerDoc doc;
    if (!doc.Open(&in))
        return 0;

    // An accepted document holds only values a renderer can work with.
    if (doc.fNumPhotos < 0 || doc.fNumPhotos > kMaxPhotos || doc.fProjectionType < 0 || doc.fProjectionType > 4 ||
        !std::isfinite(doc.fFocalLength) || doc.fSelected >= doc.fNumPhotos)
        std::abort();
    for (float c : doc.fCrop)
        if (!std::isfinite(c))
            std::abort();

    // Undo must go back to exactly what was read, and again after a redo.
    const std::string first = Saved(doc);
    if (first.empty())
        return 0;  // for example a path holding a double quote, which the format cannot store
    doc.PrepUndo("Delete");
    doc.fNumPhotos = 0;
    doc.Undo();
    if (Saved(doc) != first)
        std::abort();
    doc.Redo();
    doc.Undo();
    if (Saved(doc) != first)
        std::abort();

    PanomerDoc again;
    Quor_MemStream reread;
    if (reread.OpenRead(first.data(), static_cast<int64_t>(first.size())) != 0 || !again.Open(&reread))
        std::abort();
    if (Saved(again) != first)
        std::abort();
    return 0;
}
