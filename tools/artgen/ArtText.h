// Lettering for the generated artwork: the outlines of a string in an outline font, placed and
// sized in picture pixels, so that titles and glyph marks scale with the supersampled canvas.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/artgen/ArtCanvas.h"

class Quor_Font;

class ArtText {
public:
    ArtText();
    ~ArtText();
    ArtText(const ArtText&) = delete;
    ArtText& operator=(const ArtText&) = delete;

    // Opens a font file; false when it cannot be read as an outline font.
    bool Open(const std::string& path);
    bool IsOpen() const { return fFont != nullptr; }

    // Appends the outlines of text with its baseline at y, starting at x, `size` pixels to the
    // em, with `tracking` pixels added between letters; kerned. Returns the advance width.
    float Outline(const char* text, float x, float y, float size, float tracking,
                  std::vector<ArtContour>* out) const;
    float Width(const char* text, float size, float tracking) const;

    // Fills glyph outlines by the font's own rule (outer outlines filled, the counters inside
    // them left open) in the colour: over the canvas, through a layer of its own.
    static void Fill(ArtCanvas* canvas, const std::vector<ArtContour>& contours, rgb_color c);
    // The box around the outlines; false when there are none.
    static bool Bounds(const std::vector<ArtContour>& contours, float* left, float* top, float* right,
                       float* bottom);

private:
    std::unique_ptr<Quor_Font> fFont;
};
