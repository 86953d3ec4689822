// The editor's application object: reads its preferences, registers the toolkit's file dialogs,
// opens the main window (with the document the desktop handed over, if any) and keeps the
// preferences when the program ends.
#pragma once

#include <cstdint>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/math/Quor_Rect.h"

class PanomerWnd;

class PanomerApp : public Quor_App {
public:
    // The main window's smallest first size; without a screen, it opens so at (32, 64).
    static constexpr int kWindowLeft = 32;
    static constexpr int kWindowTop = 64;
    static constexpr int kWindowWidth = 780;
    static constexpr int kWindowHeight = 400;
    // The largest first size.
    static constexpr int kFirstMaxWidth = 1600;
    static constexpr int kFirstMaxHeight = 1000;

    // Where the main window opens the first time on `screen`: about 80% of it, centred, no
    // smaller than kWindowWidth x kWindowHeight (nor larger than the screen), no larger than
    // kFirstMaxWidth x kFirstMaxHeight. Later starts open it where and as the user left it.
    static Quor_Rect FirstFrame(const Quor_Rect& screen);

    PanomerApp();
    ~PanomerApp() override;

    // Reads "FocalLength" and "Fisheye" and opens the main window on `path` (may be empty).
    void ReadyToRun(const char* path) override;
    // Stores the preferences and closes the main window, whose document goes with it.
    void OnQuit() override;

    // Null before ReadyToRun and once the window has closed.
    PanomerWnd* MainWindow() const;

private:
    PanomerWnd* fMainWnd;
    uint32_t fMainWndId;
};
