// The direction of a bar-shaped control (a scroll bar, a slider, a divider): places given along
// and across the bar become view coordinates, so that the control's geometry and drawing are
// written once for both directions.
#pragma once

#include "toolkit/math/Quor_Point.h"
#include "toolkit/math/Quor_Rect.h"

class Quor_Graphics;

class Quor_BarAxis {
public:
    explicit Quor_BarAxis(bool vertical) : fVertical(vertical) {}

    // How thick scroll bars and sliders are across: BaseWidgetHeight() * 0.889, rounded (16
    // pixels for a height of 18).
    static int Thickness();

    bool IsVertical() const { return fVertical; }
    // A point's (or a size's) coordinate along the bar, and across it.
    int Along(Quor_Point p) const { return fVertical ? p.y : p.x; }
    int Across(Quor_Point p) const { return fVertical ? p.x : p.y; }
    // The point (or size) given along and across the bar.
    Quor_Point Point(int along, int across) const;
    // The rectangle given along and across the bar.
    Quor_Rect Rect(int alongFrom, int alongTo, int acrossFrom, int acrossTo) const;

    // A one-pixel line across the bar at `along`, and one along the bar at `across`.
    void DrawAcross(Quor_Graphics* g, int along, int acrossFrom, int acrossTo) const;
    void DrawAlong(Quor_Graphics* g, int across, int alongFrom, int alongTo) const;

private:
    bool fVertical;
};
