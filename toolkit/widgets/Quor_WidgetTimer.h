// A repeating window timer that belongs to one widget: its ticks go straight to the widget's own
// HandleMessage (so a widget whose messages go to another handler still hears its timer, and that
// handler never hears the ticks), and it finds its window again by id, so that killing it after
// the window has gone touches nothing.
#pragma once

#include <cstdint>

#include "toolkit/framework/Quor_Handler.h"

class Quor_Wnd;

class Quor_WidgetTimer : public Quor_Handler {
public:
    explicit Quor_WidgetTimer(Quor_Handler* owner) : fOwner(owner) {}
    // Kills the timer.
    ~Quor_WidgetTimer() override;

    // Kills an earlier timer, then repeats every `seconds` on the window with this what-code.
    // False (and no timer) without a window or when the window refuses the period.
    bool Start(Quor_Wnd* window, float seconds, int what);
    void Kill();
    bool IsRunning() const { return fTimerId != 0; }
    unsigned int TimerId() const { return fTimerId; }

    void HandleMessage(Quor_Message* message) override;

private:
    Quor_Handler* fOwner;
    uint32_t fWindowId = 0;
    unsigned int fTimerId = 0;
};
