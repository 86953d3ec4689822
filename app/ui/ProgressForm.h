// The body shared by the progress windows of the exports, Align All and a slow open: a caption
// that says what the bar measures (there may be no window manager's title bar to say it), the bar
// and Cancel, which is also the window's Escape button.
#pragma once

class Quor_Button;
class Quor_Dialog;
class Quor_ProgressBar;

struct ProgressForm {
    // Either may be null when memory ran short; the window then still closes with Escape or its
    // close box.
    Quor_ProgressBar* bar = nullptr;
    Quor_Button* cancel = nullptr;

    // Builds the body into `dialog`.
    static ProgressForm Build(Quor_Dialog* dialog, const char* caption);
};
