#include "toolkit/framework/platform/Quor_SdlOwner.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(QUOR_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

bool Quor_SetWindowOwner(SDL_Window* window, SDL_Window* owner)
{
    if (window == nullptr || owner == nullptr)
        return false;
#if defined(QUOR_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_SysWMinfo ownerInfo;
    SDL_VERSION(&info.version);
    SDL_VERSION(&ownerInfo.version);
    if (!SDL_GetWindowWMInfo(window, &info) || !SDL_GetWindowWMInfo(owner, &ownerInfo))
        return false;
    if (info.subsystem != SDL_SYSWM_X11 || ownerInfo.subsystem != SDL_SYSWM_X11)
        return false;
    XSetTransientForHint(info.info.x11.display, info.info.x11.window, ownerInfo.info.x11.window);
    XFlush(info.info.x11.display);
    return true;
#else
    return false;
#endif
}
