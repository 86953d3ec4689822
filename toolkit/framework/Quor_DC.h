// A drawing context on a window for one layer: copies layer images into the window's composed
// image through a clip region and shows the copied rectangles. Its clip never reaches into the
// layers above its own, so a lower layer never paints over a higher one.
#pragma once

#include <cstdint>

#include "toolkit/framework/Quor_ClipRegion.h"
#include "toolkit/math/Quor_Rect.h"

class Quor_Layer;
class Quor_PlatformImage;
class Quor_Wnd;

class Quor_DC {
public:
    // The clip starts as the layer's frame (the whole window without a layer), minus the
    // layers above it.
    Quor_DC(Quor_Wnd* window, Quor_Layer* layer);
    virtual ~Quor_DC();
    Quor_DC(const Quor_DC&) = delete;
    Quor_DC& operator=(const Quor_DC&) = delete;

    void AttachToWindow(uint32_t hostWindow) { fHostWindow = hostWindow; }
    // Clip to r (window coordinates) minus the layers above this one.
    void SetClipRect(Quor_Rect r);
    // Narrows the clip to the area outside r.
    void ExcludeClipRect(Quor_Rect r);
    // Does nothing: the clip only ever narrows.
    void IncludeClipRect(Quor_Rect r) { (void)r; }
    // Clip to the whole window minus the layers above this one.
    void ClearClipRect();
    // Cuts the frames of the layers above this one out of the clip.
    void FinishClip();
    // Copies the image with its top-left at window point (x, y) through the clip and shows it.
    void DrawImage(const Quor_PlatformImage* image, int x, int y);

    Quor_Wnd* Window() const { return fWindow; }
    Quor_Layer* Layer() const { return fLayer; }
    uint32_t PlatformDC() const { return fHostWindow; }
    const Quor_ClipRegion& PlatformRgn() const { return fClip; }

private:
    // The area the window's composed image covers, in window coordinates.
    Quor_Rect WindowArea() const;

    Quor_Wnd* fWindow;
    uint32_t fHostWindow;
    Quor_Layer* fLayer;
    Quor_ClipRegion fClip;
};
