// The about box's only layer: the about picture with the version and build stamp and the maker's
// lines, and the credits of the libraries and fonts the program uses, scrolling upward in a
// faded strip until a click or a key closes the box.
#pragma once

#include <vector>

#include "toolkit/core/Quor_RgbColor.h"
#include "toolkit/core/Quor_String.h"
#include "toolkit/framework/Quor_Layer.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"

class AboutLayer : public Quor_Layer {
public:
    // The credits move up one pixel per tick of this period (25 steps a second).
    static constexpr float kTickSeconds = 0.04f;
    // Height of the credits' fade at the top and the bottom of their strip.
    static constexpr int kFade = 8;

    // The size of the about picture, at (0, 0); the credit lines are added here.
    AboutLayer();
    ~AboutLayer() override;

    // QUOR_MSG_TICK scrolls the credits by one step; everything else goes to the layer.
    void HandleMessage(Quor_Message* message) override;
    // Draws the picture and starts the scrolling.
    void AttachedToWindow() override;
    void DetachedFromWindow() override;
    // Any press, here or elsewhere, and any key close the box.
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void OnMouseDownOutside(Quor_Point where, unsigned int button, unsigned int modifiers,
                            Quor_Message* message) override;
    void OnKeyDown(int key, unsigned int modifiers) override;
    void InitBackground() override;

    // Appends a credit line; a line that starts with "." is a heading, shown without the dot.
    void Add(const char* line);
    int CountLines() const { return static_cast<int>(fLines.size()); }
    const char* LineAt(int index) const;

    // Pixels the credits have moved up since they last started from the bottom.
    int ScrollOffset() const { return fScrollOffset; }
    // The strip the credits scroll in, in layer coordinates.
    Quor_Rect CreditsArea() const { return fCreditsArea; }
    // One step of the scrolling: draws the credits at the current offset, shows them and moves
    // them up; once the last line has left the top they start again from the bottom.
    void Tick();

private:
    void UpdateCredits();
    void Close();

    rgb_color fBackground;
    Quor_BaseImage fCredits;
    Quor_Graphics fCreditsGraphics;
    Quor_Rect fCreditsArea;
    int fScrollOffset;
    std::vector<Quor_String> fLines;
    unsigned int fTimer;
};
