// The gallery's main layer: a menu bar in the window's strip, a tab view with a page for each
// family of widgets, and a status line that tells what the last control or command sent.
#pragma once

#include "toolkit/framework/Quor_Layer.h"

class GalleryValuesPage;
class Quor_DynamicText;
class Quor_MenuBar;
class Quor_TabView;

class GalleryLayer : public Quor_Layer {
public:
    GalleryLayer(Quor_Wnd* window);

    void HandleMessage(Quor_Message* message) override;
    void UpdateMenus() override;
    void InitBackground() override;
    bool TabAdvance() override { return true; }

    void ShowTab(int index);
    // Prints where the strip, the menu titles and the tabs lie (window coordinates), for the
    // scripts that drive the gallery.
    void PrintLayout();

private:
    // Shows the text in the status line and prints it.
    void Report(const char* text);

    Quor_MenuBar* fBar;
    Quor_TabView* fTabs;
    Quor_DynamicText* fStatus;
    GalleryValuesPage* fValues;
    bool fSnap;
    bool fGrid;
    int fZoom;
};
