// The six built-in interface fonts as compiled-in tables: glyph strips and per-character metrics
// for regular (RG), bold (BD) and italic (IT) text in a small and a large (LG) size.
#pragma once

#include <cstdint>

// The table files are written by panomer-fontgen in the bitmap-font dump format, whose type names
// are int32 and uint8. Here those names are const, so the tables live in read-only memory, and
// the declarations below give the definitions external linkage.
namespace Quor_FontData {

using int32 = const int32_t;
using uint8 = const uint8_t;

#define QUOR_DECLARE_FONT_DATA(prefix)          \
    extern int32 k##prefix##fontWidth;          \
    extern int32 k##prefix##fontHeight;         \
    extern int32 k##prefix##fontBaseHeight;     \
    extern int32 k##prefix##charOffset[256];    \
    extern int32 k##prefix##charWidth[256];     \
    extern int32 k##prefix##charAdvance[256];   \
    extern int32 k##prefix##charDelta[256];     \
    extern uint8 k##prefix##fontBmp[];

QUOR_DECLARE_FONT_DATA(RG)
QUOR_DECLARE_FONT_DATA(BD)
QUOR_DECLARE_FONT_DATA(IT)
QUOR_DECLARE_FONT_DATA(RGLG)
QUOR_DECLARE_FONT_DATA(BDLG)
QUOR_DECLARE_FONT_DATA(ITLG)

#undef QUOR_DECLARE_FONT_DATA

}  // namespace Quor_FontData
