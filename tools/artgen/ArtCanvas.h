// A drawing surface for the generated artwork: a 32-bit image sampled `scale` times finer than the
// picture it stands for, drawn through the graphics context in picture pixels, combined in layers
// with straight alpha and box-filtered down to the picture.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/math/Quor_Vector2.h"

// A closed outline (or an open line for strokes) in picture pixels.
using ArtContour = std::vector<Quor_Vector2>;

class ArtCanvas {
public:
    // Picture pixel (i, j) covers [i, i + 1) x [j, j + 1): a shape from 2 to 14 covers pixels 2
    // to 13 exactly. 0; -3 for a size or scale below 1; -1 when memory runs out. Starts clear.
    int Init(int width, int height, int scale);
    // A clear canvas of this one's size and scale (same result codes).
    int InitLike(const ArtCanvas& other) { return Init(other.fWidth, other.fHeight, other.fScale); }

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    int Scale() const { return fScale; }
    const Quor_image& Samples() const { return fSamples.Image(); }
    // The context, transformed so that world coordinates are picture pixels.
    Quor_Graphics& Graphics() { return fGraphics; }

    void Clear(rgb_color c = rgb_color{0, 0, 0, 0});

    // Shapes in the colour, written over what is there (opaque colours replace, others blend by
    // the context's rule, which suits opaque grounds only: translucent work belongs in a layer
    // put down with Over). Several contours make one shape, filled by the even-odd rule.
    void Fill(const std::vector<ArtContour>& contours, rgb_color c);
    void Fill(const ArtContour& contour, rgb_color c) { Fill(std::vector<ArtContour>{contour}, c); }
    // A line of the given width with round ends and joins, each segment filled on its own so
    // the overlaps at the joins stay filled.
    void Stroke(const ArtContour& line, float width, rgb_color c);

    // Recolours every sample with shade(x, y), x and y the sample's centre in picture pixels:
    // red, green and blue are replaced, alpha is multiplied by the shade's alpha.
    template <class Shade>
    void Paint(Shade shade);
    // Multiplies every sample's alpha by the same sample's alpha in mask (same size and scale).
    void KeepInside(const ArtCanvas& mask);
    // The opposite: alpha times (1 - the mask's alpha).
    void KeepOutside(const ArtCanvas& mask);
    // Softens the alpha channel by a blur of the radius in picture pixels (colour kept).
    void SoftenAlpha(float radius);

    // Puts layer (same size and scale) over this canvas with straight alpha, its alpha times
    // opacity.
    void Over(const ArtCanvas& layer, float opacity = 1.0f);

    // Box-filters the samples into a picture of Width() x Height(): alpha is the mean, colour
    // the alpha-weighted mean, so edges keep their colour instead of darkening towards the clear
    // samples. Fully clear pixels become 0. Same result codes as Init.
    int Reduce(Quor_BaseImage* out) const;

private:
    Quor_BaseImage fSamples;
    Quor_Graphics fGraphics;
    int fWidth = 0;
    int fHeight = 0;
    int fScale = 1;
};

template <class Shade>
void ArtCanvas::Paint(Shade shade)
{
    const Quor_image& img = fSamples.Image();
    const float step = 1.0f / float(fScale);
    for (int y = 0; y < img.height; y++) {
        uint32_t* row = img.Row32(y);
        const float py = (float(y) + 0.5f) * step;
        for (int x = 0; x < img.width; x++) {
            const uint32_t alpha = row[x] & 255;
            if (alpha == 0)
                continue;
            const rgb_color c = shade((float(x) + 0.5f) * step, py);
            const uint32_t a = (alpha * c.alpha + 127) / 255;
            row[x] = uint32_t(c.blue) << 24 | uint32_t(c.green) << 16 | uint32_t(c.red) << 8 | a;
        }
    }
}
