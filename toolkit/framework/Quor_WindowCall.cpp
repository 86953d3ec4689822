#include "toolkit/framework/Quor_WindowCall.h"

#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"

Quor_WindowCall::Quor_WindowCall(Quor_Wnd* window) : fWindow(window), fId(window->Id())
{
    fWindow->Lock(-1);
}

Quor_WindowCall::~Quor_WindowCall()
{
    if (Alive())
        fWindow->Unlock();
}

bool Quor_WindowCall::Alive() const
{
    return Quor_WindowList::Find(fId) == fWindow;
}
