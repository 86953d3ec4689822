// How each built-in interface font is made: which outline face, size and hinting it is rasterised
// from, and the metrics the finished bitmap font must have exactly.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/imaging/fonts/Quor_Font.h"

struct FontRecipe {
    const char* prefix;        // table name prefix: kRGfontWidth, ...
    const char* fileName;      // output file inside the data folder
    const char* description;   // for the generated file's header comment
    const char* faceFile;      // outline font file inside the font folder
    double points;             // size at 96 dpi
    Quor_Font::Hinting hinting;
    int32_t fontWidth;         // required strip width
    int32_t fontHeight;        // required strip height (line height)
    int32_t fontBaseHeight;    // required baseline
    int32_t advanceSpace;      // required advances of ' ', 'A', 'W' and 'i'
    int32_t advanceA;
    int32_t advanceW;
    int32_t advanceI;
};

// The six fonts in the order of their built-in index.
extern const FontRecipe kFontRecipes[Quor_Font::kEmbeddedFontCount];

// The codes without a glyph of their own in the outline faces (C0 controls, DEL, C1 controls).
// They all show the face's missing-glyph box; their cells absorb the difference between the
// natural and the required strip width.
bool IsControlCode(int c);

// Rasterises the recipe's face from fontFolder and fits the result to the required metrics.
// Null with a reason in *error on failure.
Quor_Font* MakeRecipeFont(const FontRecipe& recipe, const std::string& fontFolder,
                          std::string* error);

// Writes the font as a C++ source file into outputFolder: a header comment, the dump of the
// font's tables, and the namespace around them. QUOR_OK on success; QUOR_ERR_CREATE or
// QUOR_ERR_WRITE (with *error naming the file) when a file cannot be made or written.
int WriteRecipeFont(const Quor_Font& font, const FontRecipe& recipe,
                    const std::string& outputFolder, std::string* error);
