// Toolkit set-up and tear-down around the application's life.
#include <cstdlib>
#include <ctime>
#include <string>

#include "toolkit/core/Quor_Beep.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Cursor.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_Launcher.h"
#include "toolkit/framework/Quor_PostQueue.h"
#include "toolkit/framework/platform/Quor_Host.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

namespace {

Quor_App::HostFactory sHostFactory = nullptr;
// The host InitQuorSystem made through the factory (and so deletes), or null.
Quor_Host* sOwnedHost = nullptr;

void HostBeep(int)
{
    if (Quor_Host* host = Quor_Host::Current())
        host->Beep();
}

void DeleteFonts()
{
    Quor_Font** fonts[] = {&Quor_App::gRegularSmallFont, &Quor_App::gBoldSmallFont,
                           &Quor_App::gItalicSmallFont,  &Quor_App::gRegularLargeFont,
                           &Quor_App::gBoldLargeFont,    &Quor_App::gItalicLargeFont};
    for (Quor_Font** font : fonts) {
        delete *font;
        *font = nullptr;
    }
    Quor_App::gRegularFont = nullptr;
    Quor_App::gBoldFont = nullptr;
    Quor_App::gItalicFont = nullptr;
}

}  // namespace

void Quor_App::SetHostFactory(HostFactory factory)
{
    sHostFactory = factory;
}

bool Quor_App::InitQuorSystem(Quor_Host* host, Quor_String* error)
{
    if (Quor_Host::Current() != nullptr)
        ShutdownQuorSystem();
    Quor_Host* owned = nullptr;
    if (host == nullptr && sHostFactory != nullptr)
        host = owned = sHostFactory();
    if (host == nullptr) {
        if (error != nullptr)
            *error = "No window system backend is available.";
        return false;
    }
    std::string message;
    if (!host->Init(&message)) {
        if (error != nullptr)
            *error = message.c_str();
        delete owned;
        return false;
    }
    sOwnedHost = owned;
    Quor_Host::Install(host);
    Quor_EventLoop::RenewToolkitState();
    Quor_PostQueue::SetOpen(true);
    Quor_SetBeepHook(HostBeep);

    std::srand(static_cast<unsigned int>(std::time(nullptr)));
    // The alpha tables of the image operations are built at compile time.
    Quor_Cursor::InitStandardCursors();
    Quor_ImageIo::InitImageLoader();
    DeleteFonts();
    if (Quor_Font::InitFreeType()) {
        gRegularSmallFont = Quor_Font::GetBitmapFontEmbedded(0);
        gBoldSmallFont = Quor_Font::GetBitmapFontEmbedded(1);
        gItalicSmallFont = Quor_Font::GetBitmapFontEmbedded(2);
        gRegularLargeFont = Quor_Font::GetBitmapFontEmbedded(3);
        gBoldLargeFont = Quor_Font::GetBitmapFontEmbedded(4);
        gItalicLargeFont = Quor_Font::GetBitmapFontEmbedded(5);
        gRegularFont = gRegularSmallFont;
        gBoldFont = gBoldSmallFont;
        gItalicFont = gItalicSmallFont;
    }
    return true;
}

void Quor_App::ShutdownQuorSystem()
{
    Quor_PostQueue::SetOpen(false);
    DeleteFonts();
    Quor_Font::ShutdownFreeType();
    Quor_ImageIo::ExitImageLoader();
    Quor_Cursor::FreeStandardCursors();
    Quor_SetBeepHook(nullptr);
    Quor_Launcher::Reap();
    // Out of reach first: a post, EndModal or Quit from another thread wakes the installed host,
    // and must not find this one while it shuts down.
    if (Quor_Host* host = Quor_Host::Current()) {
        Quor_Host::Install(nullptr);
        host->Shutdown();
    }
    delete sOwnedHost;
    sOwnedHost = nullptr;
    Quor_EventLoop::RenewToolkitState();
}
