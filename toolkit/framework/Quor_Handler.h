// The base of everything that receives messages: windows, layers, views, widgets and the
// application. Sending a message is a synchronous call of the receiver's HandleMessage.
#pragma once

class Quor_Message;

class Quor_Handler {
public:
    Quor_Handler() = default;
    // Stops the window timers that still target this handler, so none fires into freed memory.
    virtual ~Quor_Handler();
    Quor_Handler(const Quor_Handler&) = delete;
    Quor_Handler& operator=(const Quor_Handler&) = delete;

    // Builds an empty message with this what-code for the duration of the call.
    virtual void SendMessage(int what);
    // Runs HandleMessage on this object and returns.
    virtual void SendMessage(Quor_Message* message);
    // Does nothing here; subclasses act and pass on what they do not handle.
    virtual void HandleMessage(Quor_Message* message);
};
