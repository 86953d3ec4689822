// The editor's application object: reads its preferences, registers the toolkit's file dialogs,
// opens the main window (with the document the desktop handed over, if any) and keeps the
// preferences when the program ends.
#pragma once

#include <cstdint>

#include "toolkit/framework/Quor_App.h"

class PanomerWnd;

class PanomerApp : public Quor_App {
public:
    // Where the main window first opens: (0, 0, 779, 399) moved by (32, 64).
    static constexpr int kWindowLeft = 32;
    static constexpr int kWindowTop = 64;
    static constexpr int kWindowWidth = 780;
    static constexpr int kWindowHeight = 400;

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
