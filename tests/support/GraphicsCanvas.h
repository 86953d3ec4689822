// A canvas with a graphics context attached and its frame begun, for the graphics-context tests.
#pragma once

#include "tests/support/Canvas.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

namespace quor_test {

struct GraphicsCanvas : Canvas {
    Quor_Graphics g;

    GraphicsCanvas(int width, int height, rgb_color fill = kWhite, int borderWidth = 0)
        : Canvas(width, height, fill, borderWidth)
    {
        EXPECT_EQ(g.AttachToImage(&inner), QUOR_OK);
        g.BeginDraw();
    }

    // Sets the drawing colour, pen width and smoothing in one call; returns the context.
    Quor_Graphics& Pen(rgb_color color, int width = 1, bool smooth = false)
    {
        g.SetColor(color);
        g.SetPenWidth(width);
        g.SetSmoothing(smooth);
        return g;
    }
};

}  // namespace quor_test
