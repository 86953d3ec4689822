// Quor_Wnd: the desktop clipboard (text only).
#include "toolkit/framework/Quor_Wnd.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "toolkit/core/Quor_Utf8.h"
#include "toolkit/framework/platform/Quor_Host.h"

// --- Clipboard -----------------------------------------------------------------------------------

void Quor_Wnd::CopyToOS(const char* text)
{
    // The toolkit's text is UTF-8 already; only stray bytes need their characters' sequences.
    std::string utf8;
    if (Quor_Host* host = Quor_Host::Current(); host != nullptr && text != nullptr && Quor_Utf8::Repaired(text, &utf8))
        host->SetClipboardText(utf8.c_str());
}

void Quor_Wnd::CopyToOS(Quor_PlatformImage* image)
{
    (void)image;
}

const char* Quor_Wnd::PasteFromOS()
{
    Quor_Host* host = Quor_Host::Current();
    std::string text;
    try {
        if (host == nullptr || !host->GetClipboardText(&text))
            return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;   // a clipboard too large to hold is no text to paste
    }
    if (text.size() > static_cast<size_t>(INT32_MAX - 1) || !fPasteText.Alloc(static_cast<int>(text.size())))
        return nullptr;
    std::memcpy(fPasteText.Buffer(), text.c_str(), text.size() + 1);
    fPasteText.UpdateLength();
    return fPasteText;
}
