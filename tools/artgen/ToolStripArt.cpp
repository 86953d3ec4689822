// ToolStripArt: the bar is drawn whole in one state; pressed cells are darker towards the top
// with a soft shadow inside their top and left edges and the sign one pixel lower right, as if
// pushed in; disabled cells are flat and pale with the sign in faded grey.

#include "tools/artgen/ToolStripArt.h"

#include "toolkit/core/Quor_Status.h"
#include "tools/artgen/ArtColor.h"
#include "tools/artgen/ArtPath.h"

namespace {

constexpr int kScale = 8;
constexpr float kRadius = 4.0f;

// The theme's button colours and outline (WidgetOutline, ButtonGradient1 and 2).
constexpr rgb_color kOutline = ArtColor::Rgb(26, 53, 102);
constexpr rgb_color kDivider = ArtColor::Rgb(142, 162, 198);
constexpr rgb_color kNormalTop = ArtColor::Rgb(255, 255, 255);
constexpr rgb_color kNormalBottom = ArtColor::Rgb(223, 232, 237);
constexpr rgb_color kPressedTop = ArtColor::Rgb(160, 178, 208);
constexpr rgb_color kPressedBottom = ArtColor::Rgb(204, 217, 233);
constexpr rgb_color kDisabledTop = ArtColor::Rgb(250, 250, 247);
constexpr rgb_color kDisabledBottom = ArtColor::Rgb(236, 238, 238);

void Face(ArtCanvas* bar, ToolStripArt::State state)
{
    const float w = float(bar->Width()), h = float(bar->Height());
    bar->Fill(ArtPath::RoundedRect(0.0f, 0.0f, w, h, kRadius), kOutline);
    rgb_color top = kNormalTop, bottom = kNormalBottom;
    if (state == ToolStripArt::State::kPressed)
        top = kPressedTop, bottom = kPressedBottom;
    else if (state == ToolStripArt::State::kDisabled)
        top = kDisabledTop, bottom = kDisabledBottom;
    ArtCanvas face;
    if (face.InitLike(*bar) != QUOR_OK)
        return;
    face.Fill(ArtPath::RoundedRect(1.0f, 1.0f, w - 1.0f, h - 1.0f, kRadius - 1.0f), top);
    face.Paint([&](float, float y) { return ArtColor::Mix(top, bottom, (y - 1.0f) / (h - 2.0f)); });
    bar->Over(face);
}

// The shadow inside a pushed-in cell: dark along its top and left edges, fading inwards.
void InsetShadow(ArtCanvas* bar, float left, float right)
{
    const float w = float(bar->Width()), h = float(bar->Height());
    ArtCanvas inner, cell, shadow, lit;
    if (inner.InitLike(*bar) != QUOR_OK || cell.InitLike(*bar) != QUOR_OK || shadow.InitLike(*bar) != QUOR_OK ||
        lit.InitLike(*bar) != QUOR_OK)
        return;
    // The cell's part of the face.
    inner.Fill(ArtPath::RoundedRect(1.0f, 1.0f, w - 1.0f, h - 1.0f, kRadius - 1.0f), rgb_color{0, 0, 0, 255});
    cell.Fill(ArtPath::Rect(left, 0.0f, right, h), rgb_color{0, 0, 0, 255});
    inner.KeepInside(cell);
    shadow.Fill(ArtPath::Rect(left - 4.0f, -4.0f, right + 4.0f, h + 4.0f), rgb_color{8, 20, 48, 255});
    lit.Fill(ArtPath::Rect(left + 1.2f, 2.4f, right + 6.0f, h + 6.0f), rgb_color{0, 0, 0, 255});
    shadow.KeepOutside(lit);
    shadow.SoftenAlpha(1.2f);
    shadow.KeepInside(inner);
    bar->Over(shadow, 0.45f);
}

// The signs in faded grey: their light and dark parts kept apart, but all near the face colour.
void Fade(ArtCanvas* signs)
{
    const Quor_image& img = signs->Samples();
    for (int y = 0; y < img.height; y++) {
        uint32_t* row = img.Row32(y);
        for (int x = 0; x < img.width; x++) {
            const uint32_t p = row[x];
            const rgb_color grey = ArtColor::Grey(rgb_color{uint8_t(p >> 8), uint8_t(p >> 16), uint8_t(p >> 24), 255});
            const uint32_t v = 128 + uint32_t(grey.red) * 110 / 255;
            const uint32_t a = (p & 255) * 170 / 255;
            row[x] = v << 24 | v << 16 | v << 8 | a;
        }
    }
}

}  // namespace

int ToolStripArt::Draw(const std::vector<ToolIconArt::Kind>& buttons, State state, Quor_BaseImage* out)
{
    if (buttons.empty())
        return QUOR_ERR_ARGUMENT;
    const int count = int(buttons.size());
    ArtCanvas bar, signs;
    if (int result = bar.Init(count * kCellWidth + 1, kHeight, kScale); result != QUOR_OK)
        return result;
    if (int result = signs.InitLike(bar); result != QUOR_OK)
        return result;
    Face(&bar, state);
    for (int i = 1; i < count; i++)
        bar.Fill(ArtPath::Rect(float(i * kCellWidth), 1.0f, float(i * kCellWidth + 1), float(kHeight - 1)), kDivider);
    const float shift = state == State::kPressed ? 1.0f : 0.0f;
    for (int i = 0; i < count; i++) {
        const float left = float(i * kCellWidth);
        if (state == State::kPressed)
            InsetShadow(&bar, left + 1.0f, left + float(kCellWidth));
        // The sign sits in the middle of the 24 x 22 face inside the cell's frame and divider.
        ToolIconArt::Draw(buttons[size_t(i)], &signs, left + 5.0f + shift, 4.0f + shift);
    }
    if (state == State::kDisabled)
        Fade(&signs);
    bar.Over(signs);
    return bar.Reduce(out);
}
