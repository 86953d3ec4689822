#include "toolkit/framework/Quor_Handler.h"

#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_TimerScheduler.h"

Quor_Handler::~Quor_Handler()
{
    Quor_TimerScheduler::ForgetTarget(this);
}

void Quor_Handler::SendMessage(int what)
{
    Quor_Message message(what);
    SendMessage(&message);
}

void Quor_Handler::SendMessage(Quor_Message* message)
{
    HandleMessage(message);
}

void Quor_Handler::HandleMessage(Quor_Message* message)
{
    (void)message;
}
