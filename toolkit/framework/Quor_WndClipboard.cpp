// Quor_Wnd: the desktop clipboard (text only).
#include "toolkit/framework/Quor_Wnd.h"

#include <string>

#include "toolkit/framework/Quor_Latin1.h"
#include "toolkit/framework/platform/Quor_Host.h"

// --- Clipboard -----------------------------------------------------------------------------------

void Quor_Wnd::CopyToOS(const char* text)
{
    if (Quor_Host* host = Quor_Host::Current(); host != nullptr && text != nullptr)
        host->SetClipboardText(Quor_Latin1::ToUtf8(text).c_str());
}

void Quor_Wnd::CopyToOS(Quor_PlatformImage* image)
{
    (void)image;
}

const char* Quor_Wnd::PasteFromOS()
{
    Quor_Host* host = Quor_Host::Current();
    std::string text;
    if (host == nullptr || !host->GetClipboardText(&text))
        return nullptr;
    fPasteText = Quor_Latin1::FromUtf8(text, false).c_str();
    return fPasteText;
}
