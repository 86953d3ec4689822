// Rasterising and normalising the built-in fonts, and writing their table files.
//
// Rasterising DejaVu Sans Condensed at the recipe sizes gives every table figure exactly except
// three kinds, which are then fitted:
// 1. The strip height and baseline: the glyphs are rasterised straight into a strip of the
//    required height with the required baseline (clipped to it).
// 2. Advances of the four reference characters that differ from the table (only the space of the
//    large regular and italic fonts, 4 -> 5) are set to the table value.
// 3. The strip width: the 65 control codes share the face's missing-glyph box; their cells are
//    narrowed or widened (by dropping or repeating interior columns, so the box stays closed)
//    until the strip width matches, and their advances change by the same amount.

#include "tools/fontgen/FontRecipe.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <memory>
#include <vector>

#include "toolkit/core/Quor_Status.h"

const FontRecipe kFontRecipes[Quor_Font::kEmbeddedFontCount] = {
    {"RG", "Quor_FontData_RG.cpp", "regular small", "DejaVuSansCondensed.ttf", 9.25,
     Quor_Font::Hinting::kLight, 1522, 15, 11, 4, 8, 11, 3},
    {"BD", "Quor_FontData_BD.cpp", "bold small", "DejaVuSansCondensed-Bold.ttf", 9.25,
     Quor_Font::Hinting::kLight, 1689, 15, 11, 4, 9, 12, 4},
    {"IT", "Quor_FontData_IT.cpp", "italic small", "DejaVuSansCondensed-Oblique.ttf", 9.5,
     Quor_Font::Hinting::kLight, 1768, 15, 11, 4, 8, 11, 3},
    {"RGLG", "Quor_FontData_RGLG.cpp", "regular large", "DejaVuSansCondensed.ttf", 11.0,
     Quor_Font::Hinting::kNone, 1820, 18, 13, 5, 9, 13, 3},
    {"BDLG", "Quor_FontData_BDLG.cpp", "bold large", "DejaVuSansCondensed-Bold.ttf", 11.0,
     Quor_Font::Hinting::kNone, 2011, 18, 13, 4, 10, 14, 4},
    {"ITLG", "Quor_FontData_ITLG.cpp", "italic large", "DejaVuSansCondensed-Oblique.ttf", 10.75,
     Quor_Font::Hinting::kNone, 2048, 18, 13, 5, 8, 12, 3},
};

bool IsControlCode(int c)
{
    return c < 32 || (c >= 127 && c < 160);
}

namespace {

const char* HintingName(Quor_Font::Hinting hinting)
{
    switch (hinting) {
    case Quor_Font::Hinting::kLight:
        return "light hinting";
    case Quor_Font::Hinting::kNone:
        return "no hinting";
    case Quor_Font::Hinting::kDefault:
        break;
    }
    return "default hinting";
}

// Source column of column j when a cell of w columns becomes w2 columns wide: the left half and
// the right half are kept, and interior columns are dropped or the last left one repeated.
int SourceColumn(int j, int w, int w2)
{
    if (w2 <= w)
        return j < (w2 + 1) / 2 ? j : w - (w2 - j);
    const int left = (w + 1) / 2;
    const int right = w / 2;
    if (j < left)
        return j;
    if (j >= w2 - right)
        return w - (w2 - j);
    return left - 1;
}

}  // namespace

Quor_Font* MakeRecipeFont(const FontRecipe& recipe, const std::string& fontFolder,
                          std::string* error)
{
    const std::string path = fontFolder + "/" + recipe.faceFile;
    std::unique_ptr<Quor_Font> outline(Quor_Font::GetFreeTypeFontFile(path.c_str()));
    if (!outline) {
        *error = "cannot open " + path;
        return nullptr;
    }
    outline->SetHinting(recipe.hinting);
    if (outline->SetFractionalPointSize(recipe.points, 96) != 0) {
        *error = "cannot size " + path;
        return nullptr;
    }
    // The missing-glyph cells must be exactly the control codes, or the width fitting below
    // would stretch real glyphs.
    for (int c = 0; c < 256; c++) {
        const bool missing = FT_Get_Char_Index(outline->FreeTypeFace(), FT_ULong(c)) == 0;
        if (missing != IsControlCode(c)) {
            *error = path + ": code " + std::to_string(c) + " does not match the control codes";
            return nullptr;
        }
    }

    std::unique_ptr<Quor_Font> natural(
        outline->RasterizeFreeType(recipe.fontHeight, recipe.fontBaseHeight));
    if (!natural) {
        *error = "cannot rasterise " + path;
        return nullptr;
    }
    const Quor_bitmapFont in = natural->BitmapData();

    std::vector<int32_t> width(in.charWidth, in.charWidth + 256);
    std::vector<int32_t> advance(in.charAdvance, in.charAdvance + 256);
    std::vector<int32_t> delta(in.charDelta, in.charDelta + 256);
    advance[' '] = recipe.advanceSpace;
    advance['A'] = recipe.advanceA;
    advance['W'] = recipe.advanceW;
    advance['i'] = recipe.advanceI;

    // Spread the width difference over the control-code cells, one column each and the
    // remainder over the first ones.
    int controlCount = 0;
    for (int c = 0; c < 256; c++)
        controlCount += IsControlCode(c) ? 1 : 0;
    const int difference = recipe.fontWidth - in.fontWidth;
    const int each = difference / controlCount;
    int remainder = difference % controlCount;
    for (int c = 0; c < 256; c++) {
        if (!IsControlCode(c))
            continue;
        int change = each;
        if (remainder > 0) {
            change++;
            remainder--;
        } else if (remainder < 0) {
            change--;
            remainder++;
        }
        if (width[c] + change < 2) {
            *error = path + ": the strip width cannot be fitted";
            return nullptr;
        }
        width[c] += change;
        advance[c] += change;
    }

    // Rebuild the strip cell by cell.
    std::vector<int32_t> offset(256);
    int64_t stripWidth = 0;
    for (int c = 0; c < 256; c++) {
        offset[c] = int32_t(stripWidth);
        stripWidth += width[c];
    }
    if (stripWidth != recipe.fontWidth) {
        *error = path + ": strip width mismatch";
        return nullptr;
    }
    std::vector<uint8_t> strip(static_cast<size_t>(stripWidth * recipe.fontHeight), 0);
    for (int row = 0; row < recipe.fontHeight; row++) {
        const uint8_t* src = in.fontBmp + int64_t(row) * in.fontWidth;
        uint8_t* dst = strip.data() + row * stripWidth;
        for (int c = 0; c < 256; c++) {
            for (int j = 0; j < width[c]; j++)
                dst[offset[c] + j] = src[in.charOffset[c] + SourceColumn(j, in.charWidth[c], width[c])];
        }
    }

    Quor_bitmapFont out;
    out.fontWidth = int32_t(stripWidth);
    out.fontHeight = recipe.fontHeight;
    out.fontBaseHeight = recipe.fontBaseHeight;
    out.charOffset = offset.data();
    out.charWidth = width.data();
    out.charAdvance = advance.data();
    out.charDelta = delta.data();
    out.fontBmp = strip.data();
    Quor_Font* font = Quor_Font::CreateBitmapFont(out);
    if (!font)
        *error = path + ": the fitted font is inconsistent";
    return font;
}

int WriteRecipeFont(const Quor_Font& font, const FontRecipe& recipe,
                    const std::string& outputFolder, std::string* error)
{
    const std::string path = outputFolder + "/" + recipe.fileName;
    const std::string dumpPath = path + ".dump";
    if (font.DumpBitmapFont(dumpPath.c_str(), recipe.prefix) != QUOR_OK) {
        *error = "cannot write " + dumpPath;
        return QUOR_ERR_WRITE;
    }
    std::string dump;
    FILE* in = std::fopen(dumpPath.c_str(), "rb");
    if (in) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof(buffer), in)) > 0)
            dump.append(buffer, n);
        std::fclose(in);
    }
    std::remove(dumpPath.c_str());
    if (dump.empty()) {
        *error = "cannot read back " + dumpPath;
        return QUOR_ERR_READ;
    }

    char size[32];
    std::snprintf(size, sizeof(size), "%g", recipe.points);
    std::string text;
    text += "// Built-in ";
    text += recipe.description;
    text += " interface font (tables k";
    text += recipe.prefix;
    text += "...), rasterised from DejaVu Sans\n// Condensed (";
    text += recipe.faceFile;
    text += ") at ";
    text += size;
    text += " pt, 96 dpi, ";
    text += HintingName(recipe.hinting);
    text += ", and fitted to the\n"
            "// interface metrics by panomer-fontgen (tools/fontgen): do not edit. The glyph "
            "designs are\n// Bitstream Vera with DejaVu changes; see DejaVu-Fonts-License.txt "
            "beside this file.\n\n"
            "#include \"toolkit/imaging/data/Quor_FontData.h\"\n\n"
            "namespace Quor_FontData {\n\n";
    text += dump;
    text += "\n}  // namespace Quor_FontData\n";

    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        *error = "cannot create " + path;
        return QUOR_ERR_CREATE;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0 || !written) {
        *error = "cannot write " + path;
        return QUOR_ERR_WRITE;
    }
    return QUOR_OK;
}
