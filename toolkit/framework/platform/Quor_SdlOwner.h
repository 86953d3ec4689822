// Tells the window manager that a floating window belongs to another, so that it stays above
// that window and is not listed on its own. SDL has no call for it outside modal windows; on X11
// this sets the transient-for hint, and elsewhere it does nothing.
#pragma once

struct SDL_Window;

// True when the hint was set.
bool Quor_SetWindowOwner(SDL_Window* window, SDL_Window* owner);
