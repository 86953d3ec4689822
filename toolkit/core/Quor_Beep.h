// The system beep. The toolkit core has no access to the display, so the platform layer
// installs the function that rings the real bell; until then a beep is silent.
#pragma once

using Quor_BeepHook = void (*)(int n);

// Sounds the beep through the installed hook; n is passed on and otherwise unused.
void Quor_Beep(int n = 1);
// Installs the function Quor_Beep calls (null restores the silent default) and returns the
// previous one. May be called from any thread.
Quor_BeepHook Quor_SetBeepHook(Quor_BeepHook hook);
