#include "toolkit/widgets/Quor_WidgetTimer.h"

#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"

Quor_WidgetTimer::~Quor_WidgetTimer()
{
    Kill();
}

bool Quor_WidgetTimer::Start(Quor_Wnd* window, float seconds, int what)
{
    Kill();
    if (window == nullptr)
        return false;
    const unsigned int id = window->SetTimer(seconds, this, what);
    if (id == 0)
        return false;
    fWindowId = window->Id();
    fTimerId = id;
    return true;
}

void Quor_WidgetTimer::Kill()
{
    if (fTimerId != 0) {
        if (Quor_Wnd* window = Quor_WindowList::Find(fWindowId))
            window->KillTimer(fTimerId);
    }
    fTimerId = 0;
    fWindowId = 0;
}

void Quor_WidgetTimer::HandleMessage(Quor_Message* message)
{
    fOwner->HandleMessage(message);
}
