// The demo's application object: opens the window and, when asked on the command line, quits
// by itself after some seconds (for unattended runs).
#pragma once

#include "toolkit/framework/Quor_App.h"

class DemoWnd;

class DemoApp : public Quor_App {
public:
    DemoApp();

    void ReadyToRun(const char* startupPath) override;
    void HandleMessage(Quor_Message* message) override;

private:
    DemoWnd* fWindow = nullptr;
};
