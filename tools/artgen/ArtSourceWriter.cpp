// ArtSourceWriter: sixteen pixels a line in hexadecimal, without indent, so that the largest
// picture (the about picture, 90,000 pixels) stays under a megabyte of source.

#include "tools/artgen/ArtSourceWriter.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kWordsPerLine = 16;

const char* kGenerated = "Written by panomer-artgen (tools/artgen): do not edit.";

std::string Number(int64_t v)
{
    return std::to_string(v);
}

// What a group's file holds, for its first comment line.
std::string Describe(const std::string& group)
{
    if (group == "Cursors")
        return "The tool cursors of the editing view.";
    if (group == "ToolBars")
        return "The tool bar strips of the photo list and the canvas: normal, pressed and disabled.";
    if (group == "Icons")
        return "The alert icons and the window icon.";
    if (group == "About")
        return "The about picture.";
    return "Built-in pictures.";
}

}  // namespace

std::vector<std::string> ArtSourceWriter::Groups(const std::vector<ArtPicture>& pictures)
{
    std::vector<std::string> groups;
    for (const ArtPicture& picture : pictures) {
        bool known = false;
        for (const std::string& g : groups)
            known = known || g == picture.group;
        if (!known)
            groups.push_back(picture.group);
    }
    return groups;
}

std::string ArtSourceWriter::SourceName(const std::string& group)
{
    return "PanomerArt_" + group + ".cpp";
}

std::string ArtSourceWriter::Header(const std::vector<ArtPicture>& pictures)
{
    std::string out;
    out += "// The editor's built-in pictures: tool cursors, tool bar strips, alert icons, the about picture\n";
    out += "// and the window icon. ";
    out += kGenerated;
    out += "\n//\n";
    out += "// Every record is complete: 32-bit pixels (pixelBits 32, pixelBytes 4, rowBytes = width * 4) in\n";
    out += "// the native packing, blue << 24 | green << 16 | red << 8 | alpha, with straight alpha. The\n";
    out += "// pixels are constant data in read-only memory: draw from these images as they are (they need\n";
    out += "// no correction), never into them.\n";
    out += "#pragma once\n\n#include \"toolkit/imaging/Quor_image.h\"\n";
    std::string group;
    for (const ArtPicture& picture : pictures) {
        if (picture.group != group) {
            group = picture.group;
            out += "\n// " + Describe(group) + "\n";
        }
        std::string line = "extern const Quor_image " + picture.name + ";";
        line.resize(std::max<size_t>(line.size() + 1, 48), ' ');
        out += line + "// " + Number(picture.image->Width()) + " x " + Number(picture.image->Height()) +
               ": " + picture.note + "\n";
    }
    return out;
}

std::string ArtSourceWriter::Source(const std::vector<ArtPicture>& pictures, const std::string& group)
{
    std::string out;
    out += "// " + Describe(group) + " " + kGenerated + "\n\n";
    out += "#include \"";
    out += kIncludePath;
    out += "\"\n\n#include <cstdint>\n\n";
    out += "// Built-in pictures are read-only sources: the record's pointer is not const only because the\n";
    out += "// record type also serves images that are drawn into.\n";
    out += "#define PANOMER_ART_BITS(words) const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(words))\n";
    char word[16];
    for (const ArtPicture& picture : pictures) {
        if (picture.group != group)
            continue;
        const Quor_image& img = picture.image->Image();
        out += "\n// " + picture.name + ": " + picture.note + "\n";
        out += "static const uint32_t " + picture.name + "Bits[" + Number(int64_t(img.width) * img.height) + "] = {\n";
        int column = 0;
        for (int y = 0; y < img.height; y++) {
            const uint32_t* row = img.Row32(y);
            for (int x = 0; x < img.width; x++) {
                std::snprintf(word, sizeof word, "0x%08x,", unsigned(row[x]));
                out += word;
                if (++column == kWordsPerLine) {
                    out += "\n";
                    column = 0;
                }
            }
        }
        if (column != 0)
            out += "\n";
        out += "};\n";
        out += "const Quor_image " + picture.name + " = {PANOMER_ART_BITS(" + picture.name + "Bits), " +
               Number(img.width) + ", " + Number(img.height) + ", 32, 4, " + Number(int64_t(img.width) * 4) + "};\n";
    }
    out += "\n#undef PANOMER_ART_BITS\n";
    return out;
}
