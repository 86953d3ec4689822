// The layer that holds a menu bar in the strip above a window's content area. It lies at
// negative window coordinates, takes the strip's presses, and hands the bar's commands and
// menu updates to the layer that registered the bar, as if the bar were part of it.
#pragma once

#include "toolkit/framework/Quor_Layer.h"

class Quor_MenuStrip;

class Quor_MenuStripLayer : public Quor_Layer {
public:
    Quor_MenuStripLayer(Quor_Layer* owner, Quor_MenuStrip* strip);
    // Gives the bar back to its owner layer (it is not deleted here).
    ~Quor_MenuStripLayer() override;

    void HandleMessage(Quor_Message* message) override;
    void UpdateMenus() override;
    bool IsModal() override { return false; }
    bool HasOwner() override { return true; }

    Quor_Layer* Owner() const { return fOwner; }
    Quor_MenuStrip* Strip() const { return fStrip; }

private:
    Quor_Layer* fOwner;
    Quor_MenuStrip* fStrip;
    // The bar as a view; compared, never followed, once it may have been deleted.
    Quor_View* fBar;
};
