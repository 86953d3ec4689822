// The gallery's application object: registers the toolkit's file dialogs, opens the window on
// the tab asked for, and quits by itself after some seconds when asked (for unattended runs).
#pragma once

#include "toolkit/framework/Quor_App.h"

class GalleryWnd;

class GalleryApp : public Quor_App {
public:
    GalleryApp();

    void ReadyToRun(const char* startupPath) override;
    void HandleMessage(Quor_Message* message) override;

private:
    GalleryWnd* fWindow = nullptr;
};
