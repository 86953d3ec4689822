// The limits of one image read, and what a reader found when it refused a header's size. A load
// hands one through the module to the reader, which checks the header against it before anything
// is allocated for the pixels; the load then puts the refusal into words for its caller. Each read
// has its own, so loads on several threads never mix their accounts.
#pragma once

#include <cstdint>

struct Quor_ReadLimits {
    // No budget: only the readers' pixel limit applies.
    static constexpr int64_t kNoBudget = INT64_MAX;

    enum class Refusal {
        kNone,
        kCannotOpen,    // missing, unreadable, or not a regular file (systemError tells which)
        kBadSize,       // a side below 1
        kTooLarge,      // beyond the pixel limit or the 65535-pixel side the readers accept
        kBeyondFile,    // more pixels than the format could encode in the file's bytes: corrupt
        kBeyondBudget,  // decoding would hold more bytes than memoryBudget
    };

    // --- Set by the caller ---

    // Decoders that can reduce while decoding (JPEG) may do so, never below maxSize; 0 for full size.
    int maxSize = 0;
    // Most bytes the load may hold for pixels at once: the decoded image, the reduced copy a load
    // with maxSize makes of it, and whole-image buffers of the decoder. 0 means nothing is left.
    int64_t memoryBudget = kNoBudget;

    // --- Filled by the reader when it refuses ---

    Refusal refusal = Refusal::kNone;
    int64_t width = 0;          // the size the header declares
    int64_t height = 0;
    int64_t fileBytes = 0;      // kBeyondFile: the file's size
    int64_t neededBytes = 0;    // kBeyondBudget: what decoding would hold
    int systemError = 0;        // kCannotOpen: errno of the failed open, 0 for a file of another kind
};
