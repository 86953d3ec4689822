// The tool bar strips: one row of buttons, 25 x 24 pixels a cell, joined into one bar with a
// divider at the left edge of every cell but the first, the last cell one pixel wider to close
// the bar. One strip per state (normal, pressed, disabled); the tool bar takes each button's cell
// from the strip of its state, so the frame and the dividers are the same in all three.
#pragma once

#include <vector>

#include "toolkit/imaging/Quor_BaseImage.h"
#include "tools/artgen/ToolIconArt.h"

class ToolStripArt {
public:
    enum class State { kNormal, kPressed, kDisabled };
    static constexpr int kCellWidth = 25;
    static constexpr int kHeight = 24;

    // A strip of buttons.size() cells, buttons.size() * 25 + 1 pixels wide. 0; -3 without
    // buttons; -1 out of memory.
    static int Draw(const std::vector<ToolIconArt::Kind>& buttons, State state, Quor_BaseImage* out);
};
