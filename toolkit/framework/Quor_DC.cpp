#include "toolkit/framework/Quor_DC.h"

#include <cstring>
#include <vector>

#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/framework/Quor_PlatformImage.h"
#include "toolkit/framework/Quor_Wnd.h"

Quor_DC::Quor_DC(Quor_Wnd* window, Quor_Layer* layer)
    : fWindow(window), fHostWindow(window != nullptr ? window->PlatformWindow() : 0), fLayer(layer)
{
    if (layer != nullptr)
        SetClipRect(layer->Frame());
    else
        ClearClipRect();
}

Quor_DC::~Quor_DC() = default;

Quor_Rect Quor_DC::WindowArea() const
{
    if (fWindow == nullptr)
        return Quor_Rect(0, 0, -1, -1);
    const Quor_Rect content = fWindow->OldBounds();
    const int strip = fWindow->MenuStripHeight();
    // The strip's layer paints only the strip, every other layer only the content area.
    if (fLayer != nullptr && fLayer == fWindow->MenuStripLayer())
        return Quor_Rect(0, -strip, content.right, -1);
    if (fLayer != nullptr)
        return content;
    return Quor_Rect(0, -strip, content.right, content.bottom);
}

void Quor_DC::SetClipRect(Quor_Rect r)
{
    fClip.Set(r);
    FinishClip();
}

void Quor_DC::ExcludeClipRect(Quor_Rect r)
{
    fClip.Exclude(r);
}

void Quor_DC::ClearClipRect()
{
    fClip.Set(WindowArea());
    FinishClip();
}

void Quor_DC::FinishClip()
{
    fClip.Intersect(WindowArea());
    if (fWindow == nullptr || fLayer == nullptr)
        return;
    const int index = fWindow->IndexOfLayer(fLayer);
    if (index < 0)
        return;
    for (int i = index + 1; i < fWindow->CountLayers(); ++i)
        fClip.Exclude(fWindow->LayerAt(i)->Frame());
}

void Quor_DC::DrawImage(const Quor_PlatformImage* image, int x, int y)
{
    if (fWindow == nullptr || image == nullptr || !image->IsValid() || image->PixelBits() != 32)
        return;
    Quor_BaseImage* composed = fWindow->Composed();
    if (composed == nullptr || !composed->IsValid())
        return;
    const int strip = fWindow->MenuStripHeight();
    const Quor_Rect imageRect(x, y, x + image->Width() - 1, y + image->Height() - 1);
    const Quor_Rect area = WindowArea();
    const Quor_Rect composedRect(0, -strip, composed->Width() - 1, composed->Height() - 1 - strip);
    std::vector<Quor_Rect> shown;
    shown.reserve(fClip.Rects().size());
    for (const Quor_Rect& piece : fClip.Rects()) {
        Quor_Rect r(piece);
        if (!imageRect.Clip(r) || !area.Clip(r) || !composedRect.Clip(r))
            continue;
        const size_t bytes = static_cast<size_t>(r.Width()) * 4;
        for (int row = r.top; row <= r.bottom; ++row) {
            const uint8_t* src = image->PixelPtr(r.left - x, row - y);
            uint8_t* dst = composed->PixelPtr(r.left, row + strip);
            std::memcpy(dst, src, bytes);
        }
        shown.push_back(r);
    }
    if (!shown.empty())
        fWindow->PresentRects(shown.data(), static_cast<int>(shown.size()));
}
