// Starts a desktop helper program (xdg-open) on one argument, without a shell and without
// waiting for it; finished helpers are reaped on later calls, so none stays a zombie for long.
#pragma once

class Quor_Launcher {
public:
    // 0 when the program was started, otherwise an errno value (EINVAL for a null or empty
    // argument, ENOENT when the program is not installed).
    static int Spawn(const char* program, const char* argument);
    // Reaps the helpers that have finished; never waits.
    static void Reap();
};
