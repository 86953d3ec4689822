// panomer-artgen: draws the editor's built-in pictures and writes them into app/ui/data (C++
// sources, the header PanomerArt.h and the desktop icons in icons/), from DejaVu Sans and
// DejaVu Sans Bold (Debian package fonts-dejavu-core).
//
// Run it after changing a drawing in tools/artgen, then look at the contact sheet and review
// the diff:
//
//     cmake --build build --target artgen
// or
//     build/tools/artgen/panomer-artgen app/ui/data [font folder] [--sheet /tmp/art.png]
//
// The output depends only on the code, the faces and the FreeType and libpng versions, so two
// runs give identical files; a test checks that the committed files match a fresh run.

#include <cstdio>
#include <cstring>
#include <string>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "tools/artgen/ArtGenerator.h"

int main(int argc, char** argv)
{
    std::string outputFolder, fontFolder = "/usr/share/fonts/truetype/dejavu", sheet;
    int positional = 0;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--sheet") == 0 && i + 1 < argc) {
            sheet = argv[++i];
        } else if (positional == 0) {
            outputFolder = argv[i];
            positional++;
        } else if (positional == 1) {
            fontFolder = argv[i];
            positional++;
        } else {
            positional = 3;
        }
    }
    if (outputFolder.empty() || positional > 2) {
        std::fprintf(stderr, "usage: %s <output folder> [font folder] [--sheet <png>]\n", argv[0]);
        return 2;
    }
    int status = 0;
    {
        ArtGenerator generator;
        std::string error;
        if (generator.Draw(fontFolder, &error) != QUOR_OK || generator.Write(outputFolder, &error) != QUOR_OK) {
            std::fprintf(stderr, "panomer-artgen: %s\n", error.c_str());
            status = 1;
        } else {
            std::printf("%zu pictures and the desktop icons -> %s\n", generator.Pictures().size(), outputFolder.c_str());
            if (!sheet.empty() && generator.WriteSheet(sheet) != QUOR_OK) {
                std::fprintf(stderr, "panomer-artgen: cannot write %s\n", sheet.c_str());
                status = 1;
            }
        }
    }
    Quor_Font::ShutdownFreeType();
    return status;
}
