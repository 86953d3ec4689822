// ArtText: glyph outlines read through FreeType in font units and flattened into contours.

#include "tools/artgen/ArtText.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "tools/artgen/ArtColor.h"
#include "tools/artgen/ArtPath.h"

namespace {

// Collects one glyph's contours, mapping font units (y up) to picture pixels (y down).
struct OutlineSink {
    std::vector<ArtContour>* out;
    float x;
    float y;
    float scale;
    Quor_Vector2 last;

    Quor_Vector2 Map(const FT_Vector* v) const
    {
        return Quor_Vector2(x + float(v->x) * scale, y - float(v->y) * scale);
    }
};

int MoveTo(const FT_Vector* to, void* user)
{
    OutlineSink* sink = static_cast<OutlineSink*>(user);
    sink->last = sink->Map(to);
    sink->out->push_back(ArtContour{sink->last});
    return 0;
}

int LineTo(const FT_Vector* to, void* user)
{
    OutlineSink* sink = static_cast<OutlineSink*>(user);
    sink->last = sink->Map(to);
    sink->out->back().push_back(sink->last);
    return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user)
{
    OutlineSink* sink = static_cast<OutlineSink*>(user);
    // The quadratic curve as the cubic with the same shape.
    const Quor_Vector2 p0 = sink->last, q = sink->Map(control), p3 = sink->Map(to);
    ArtPath::AppendBezier(&sink->out->back(), p0, p0 + (q - p0) * (2.0f / 3.0f), p3 + (q - p3) * (2.0f / 3.0f), p3);
    sink->last = p3;
    return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    OutlineSink* sink = static_cast<OutlineSink*>(user);
    const Quor_Vector2 p3 = sink->Map(to);
    ArtPath::AppendBezier(&sink->out->back(), sink->last, sink->Map(c1), sink->Map(c2), p3);
    sink->last = p3;
    return 0;
}

// Twice the signed area; its sign tells the direction the contour runs.
float SignedArea(const ArtContour& c)
{
    float sum = 0.0f;
    for (size_t i = 0; i < c.size(); i++) {
        const Quor_Vector2& a = c[i];
        const Quor_Vector2& b = c[(i + 1) % c.size()];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

}  // namespace

ArtText::ArtText() = default;
ArtText::~ArtText() = default;

bool ArtText::Open(const std::string& path)
{
    fFont.reset(Quor_Font::GetFreeTypeFontFile(path.c_str()));
    return fFont != nullptr;
}

float ArtText::Outline(const char* text, float x, float y, float size, float tracking,
                       std::vector<ArtContour>* out) const
{
    if (!fFont || !text)
        return 0.0f;
    FT_Face face = fFont->FreeTypeFace();
    const float scale = size / float(face->units_per_EM);
    FT_Outline_Funcs funcs{};
    funcs.move_to = MoveTo;
    funcs.line_to = LineTo;
    funcs.conic_to = ConicTo;
    funcs.cubic_to = CubicTo;
    const float start = x;
    FT_UInt previous = 0;
    for (const char* p = text; *p; p++) {
        const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(static_cast<unsigned char>(*p)));
        if (previous != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (FT_Get_Kerning(face, previous, index, FT_KERNING_UNSCALED, &kern) == 0)
                x += float(kern.x) * scale;
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
            continue;
        if (out && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
            OutlineSink sink{out, x, y, scale, Quor_Vector2()};
            FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
        }
        x += float(face->glyph->advance.x) * scale + (p[1] ? tracking : 0.0f);
        previous = index;
    }
    return x - start;
}

float ArtText::Width(const char* text, float size, float tracking) const
{
    return Outline(text, 0.0f, 0.0f, size, tracking, nullptr);
}

void ArtText::Fill(ArtCanvas* canvas, const std::vector<ArtContour>& contours, rgb_color c)
{
    // The largest outline runs the way outer outlines run; counters run the other way. Outer
    // outlines are filled one by one, so where two overlap (a tail across a bowl) both stay
    // filled, and the counters are cut out afterwards.
    float largest = 0.0f;
    for (const ArtContour& contour : contours)
        if (std::fabs(SignedArea(contour)) > std::fabs(largest))
            largest = SignedArea(contour);
    ArtCanvas ink, counters;
    if (ink.InitLike(*canvas) != QUOR_OK || counters.InitLike(*canvas) != QUOR_OK)
        return;
    ink.Clear(ArtColor::WithAlpha(c, 0));
    bool anyCounter = false;
    for (const ArtContour& contour : contours) {
        if ((SignedArea(contour) > 0.0f) == (largest > 0.0f)) {
            ink.Fill(contour, ArtColor::WithAlpha(c, 255));
        } else {
            counters.Fill(contour, rgb_color{0, 0, 0, 255});
            anyCounter = true;
        }
    }
    if (anyCounter)
        ink.KeepOutside(counters);
    canvas->Over(ink, float(c.alpha) / 255.0f);
}

bool ArtText::Bounds(const std::vector<ArtContour>& contours, float* left, float* top, float* right,
                     float* bottom)
{
    bool any = false;
    for (const ArtContour& contour : contours) {
        for (const Quor_Vector2& p : contour) {
            if (!any) {
                *left = *right = p.x;
                *top = *bottom = p.y;
                any = true;
            }
            *left = std::fmin(*left, p.x);
            *right = std::fmax(*right, p.x);
            *top = std::fmin(*top, p.y);
            *bottom = std::fmax(*bottom, p.y);
        }
    }
    return any;
}
