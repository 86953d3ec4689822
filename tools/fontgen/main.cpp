// panomer-fontgen: makes the six built-in interface fonts (toolkit/imaging/data/Quor_FontData_*.cpp)
// from DejaVu Sans Condensed Book, Bold and Oblique (Debian packages fonts-dejavu-core and
// fonts-dejavu-extra).
//
// Run it after changing a recipe (tools/fontgen/FontRecipe.cpp) or the rasteriser, then review
// the diff and the font tests' sample images:
//
//     cmake --build build --target fontgen
// or
//     build/tools/fontgen/panomer-fontgen toolkit/imaging/data [/usr/share/fonts/truetype/dejavu]
//
// The output depends only on the face files and the FreeType version, so running it twice gives
// identical files; the font tests check that the committed tables match a fresh run.

#include <cstdio>
#include <memory>
#include <string>

#include "toolkit/core/Quor_Status.h"
#include "tools/fontgen/FontRecipe.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <output folder> [font folder]\n", argv[0]);
        return 2;
    }
    const std::string outputFolder = argv[1];
    const std::string fontFolder = argc > 2 ? argv[2] : "/usr/share/fonts/truetype/dejavu";

    int failures = 0;
    for (const FontRecipe& recipe : kFontRecipes) {
        std::string error;
        std::unique_ptr<Quor_Font> font(MakeRecipeFont(recipe, fontFolder, &error));
        if (!font || WriteRecipeFont(*font, recipe, outputFolder, &error) != QUOR_OK) {
            std::fprintf(stderr, "%s: %s\n", recipe.prefix, error.c_str());
            failures++;
            continue;
        }
        std::printf("%-4s %-14s %4d x %2d, baseline %2d -> %s/%s\n", recipe.prefix,
                    recipe.description, recipe.fontWidth, recipe.fontHeight,
                    recipe.fontBaseHeight, outputFolder.c_str(), recipe.fileName);
    }
    Quor_Font::ShutdownFreeType();
    return failures == 0 ? 0 : 1;
}
