// Quor_Font::GetBitmapFontEmbedded: fonts over the compiled-in tables. Kept apart from the rest of
// the class so that programs which never ask for a built-in font (the font generator, which
// writes those tables) link without them.

#include "toolkit/imaging/fonts/Quor_Font.h"

#include <new>

#include "toolkit/imaging/data/Quor_FontData.h"

#define QUOR_FONT_DATA(prefix)                                                              \
    Quor_bitmapFont                                                                         \
    {                                                                                       \
        Quor_FontData::k##prefix##fontWidth, Quor_FontData::k##prefix##fontHeight,          \
            Quor_FontData::k##prefix##fontBaseHeight, Quor_FontData::k##prefix##charOffset, \
            Quor_FontData::k##prefix##charWidth, Quor_FontData::k##prefix##charAdvance,     \
            Quor_FontData::k##prefix##charDelta, Quor_FontData::k##prefix##fontBmp          \
    }

Quor_Font* Quor_Font::GetBitmapFontEmbedded(int index)
{
    Quor_bitmapFont data;
    switch (index) {
    case 1:
        data = QUOR_FONT_DATA(BD);
        break;
    case 2:
        data = QUOR_FONT_DATA(IT);
        break;
    case 3:
        data = QUOR_FONT_DATA(RGLG);
        break;
    case 4:
        data = QUOR_FONT_DATA(BDLG);
        break;
    case 5:
        data = QUOR_FONT_DATA(ITLG);
        break;
    default:
        data = QUOR_FONT_DATA(RG);
        break;
    }

    Quor_Font* font = new (std::nothrow) Quor_Font;
    if (!font)
        return nullptr;
    font->SetBitmap(data, false);
    return font;
}
